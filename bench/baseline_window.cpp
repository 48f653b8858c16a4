// Start-up baseline: the least a Win32 program must do to show a label — one top-most popup
// window with one static text control — and nothing else.
//
// Built a second time with NORVANE_FLOOR as the start-up floor: the baseline plus only the
// system work Norvane's start-up cannot leave out — the common controls library and its
// initialisation, Winsock start-up with the host-name lookup, and the label window created
// once before rendering creates it again at its measured size.
#include <windows.h>

#include "resource.h"
#ifdef NORVANE_FLOOR
#include <commctrl.h>
#include <winsock.h>
#endif

namespace {
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND open_popup(HINSTANCE instance) {
    return CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "BaselineClass", "Baseline", WS_POPUP, 900, 700,
                           100, 14, 0, 0, instance, 0);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef NORVANE_FLOOR
    InitCommonControls();
    WSADATA winsock;
    char host[256] = "";
    if (WSAStartup(MAKEWORD(1, 1), &winsock) == 0 && gethostname(host, sizeof host) == 0) gethostbyname(host);
#endif
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "BaselineClass";
    RegisterClassA(&window_class);
#ifdef NORVANE_FLOOR
    HWND first = open_popup(instance);
    ShowWindow(first, SW_SHOW);
    DestroyWindow(first);
#endif
    HWND window = open_popup(instance);
    CreateWindowExA(0, "STATIC", " BASELINE ", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 100, 14, window,
                    reinterpret_cast<HMENU>(kLabelGadget), instance, 0);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
