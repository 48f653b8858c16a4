// Start-up baseline: the least a Win32 program must do to show a label — one top-most popup
// window with one static text control — and nothing else.
#include <windows.h>

namespace {
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wparam, lparam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "BaselineClass";
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "BaselineClass", "Baseline", WS_POPUP,
                                  900, 700, 100, 14, 0, 0, instance, 0);
    CreateWindowExA(0, "STATIC", " BASELINE ", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 100, 14, window,
                    reinterpret_cast<HMENU>(27), instance, 0);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
