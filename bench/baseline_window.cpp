// Start-up baseline: the least a Win32 program must do to show a label — one top-most popup
// window with one static text control — and keep it on the work area's bottom edge.
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
    return DefWindowProcA(window, message, wparam, lparam);
}

// The popup with its text, shown top-most with its bottom on the work area's bottom edge.
HWND open_label(HINSTANCE instance, long bottom) {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "BaselineClass", "Baseline", WS_POPUP, 900,
                                  bottom - 14, 100, 14, 0, 0, instance, 0);
    CreateWindowExA(0, "STATIC", " BASELINE ", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 100, 14, window,
                    reinterpret_cast<HMENU>(kLabelGadget), instance, 0);
    ShowWindow(window, SW_SHOW);
    return window;
}

long work_area_bottom() {
    RECT area;
    return SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) ? area.bottom : 0;
}
}  // namespace

// Polls as the program does and, like it, shows the label afresh whenever the work area's
// bottom edge moves, so that the memory benchmark can drive both the same way.
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
    long bottom = work_area_bottom();
#ifdef NORVANE_FLOOR
    DestroyWindow(open_label(instance, bottom));
#endif
    HWND window = open_label(instance, bottom);
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        const long now = work_area_bottom();
        if (now != bottom) {
            bottom = now;
            DestroyWindow(window);
            window = open_label(instance, bottom);
        }
        Sleep(1);
    }
}
