// The dialogs as tables, and the one place where the tables become pixels: positions and sizes
// are kept as laid out for 96 pixels per inch and the Western default dialog font, and are
// multiplied by the scale that start-up reads from the system's dialog font.
#pragma once

#include <windows.h>

#include "dialogs/dialog_scale.h"

enum GadgetKind { KindFrame, KindCheckbox, KindText, KindString, KindOption, KindButton, KindTrackbar, KindImage, KindLink };

struct GadgetLayout {
    int number;
    GadgetKind kind;
    const char* text;
    int x, y, width, height;
    // Text: its flags; trackbar: minimum and maximum; image: image number and extended style;
    // link: hover colour.
    long first, second;
};

struct DialogLayout {
    int window;
    const char* title;
    int x, y, width, height;  // the position is replaced by the centring
    unsigned long flags;
    const GadgetLayout* gadgets;
    int count;
};

// Reads the dialog font's base units once. Between begin and end, each dialog widens the scale
// with fit_gadget until every gadget of it holds what it shows.
void begin_dialog_scale();
void end_dialog_scale();
DialogScale dialog_scale();
// Widens the scale so that the gadget holds the text in the font (0: the gadgets' own font).
// Only between begin_dialog_scale and end_dialog_scale.
void fit_gadget(const GadgetLayout& gadget, const char* text, HFONT font);
// Opens the dialog's window hidden (an open one is closed and rebuilt first), creates its
// gadgets in table order, scaled, and shows it. The last opened window's handle, or 0 (and no
// window) when the window, a gadget or the memory for them cannot be had.
HWND open_dialog(const DialogLayout& dialog);
