// One drawing context at a time on an output target: start, select a font, measure, stop.
#pragma once

#include <windows.h>

struct OutputTarget {
    int kind;  // 1 window, 2 image
    HWND window;
    HDC device_context;
    void (*release)();
};

void init_drawing();
HDC start_drawing(OutputTarget* target);
void stop_drawing();
void drawing_font(HFONT font);  // (HFONT)-1 selects the stock system font
int text_width(const char* text);
HDC drawing_context();
