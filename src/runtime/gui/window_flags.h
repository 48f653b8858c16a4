// Translation of the runtime's window flags into a window style and a centring mode, and the
// centring arithmetic, apart from any window.
#pragma once

enum WindowFlags : unsigned long {
    ScreenCentered = 0x1,
    ActiveWindowCentered = 0x2,
    Invisible = 0x10000000,
};

enum CentringMode { CentreNone, CentreScreen, CentreActiveWindow };

struct WindowStyleChoice {
    unsigned long style;
    CentringMode centring;
    bool maximize;  // created visible with the maximise bit: shown maximised afterwards
};

WindowStyleChoice translate_window_flags(unsigned long flags);

// Position that centres a window of the given outer size on a screen of screen_size
// (the size is clamped to the screen for the arithmetic only).
int centre_on_screen(int size, int screen_size);
// Position that centres it over a window spanning [low, high); never negative.
int centre_over(int low, int high, int size);
