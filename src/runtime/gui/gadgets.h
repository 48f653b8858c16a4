// Gadgets: numbered child controls (frames, checkboxes, texts, edit fields, options, buttons,
// trackbars, images and links) read and written through their numbers alone.
#pragma once

#include <windows.h>

#include "runtime/base/object_table.h"

// Per-kind operations; an empty entry means the default behaviour (destroy the control, state 0,
// ignore a state, read or set the window text).
struct GadgetKindOps {
    void (*free)(int number);
    int (*get_state)(int number);
    void (*set_state)(int number, LPARAM value);
    char* (*get_text)(int number);
    void (*set_text)(int number, const char* text);
};

struct GadgetRecord {
    HWND control;                 // null: the number is free
    const GadgetKindOps* kind_ops;
    LONG_PTR extra;               // image gadget: the image shown; link gadget: its hover colour
    union {
        WNDPROC previous_procedure;  // standard kinds and trackbar
        HFONT link_font;             // link gadget
    };
};
static_assert(handle_first(offsetof(GadgetRecord, control), sizeof(GadgetRecord::control)), "the table finds the handle first");

// Focus reports of string gadgets, carried as the event type of MSG_GADGET_EVENT.
const int kGadgetFocusGained = 14000;
const int kGadgetFocusLost = 14001;
// Mouse reports of image gadgets.
const int kImageRightClick = 1;
const int kImageDoubleClick = 2;
const int kImageRightDoubleClick = 3;
// get_gadget_text reads at most this many characters, the terminating zero included.
const int kGadgetTextLimit = 32000;

extern ObjectTable gadget_table;

void init_gadgets();
HWND use_gadget_list(HWND window);
HWND create_frame_gadget(int number, int x, int y, int width, int height, const char* text);
HWND create_checkbox_gadget(int number, int x, int y, int width, int height, const char* text);
// Text gadget flags are static control styles (SS_CENTER) and this one: a sunken client edge.
const unsigned long kTextGadgetSunken = 0x20000;
HWND create_text_gadget(int number, int x, int y, int width, int height, const char* text, unsigned long flags = 0);
HWND create_string_gadget(int number, int x, int y, int width, int height, const char* text);
HWND create_option_gadget(int number, int x, int y, int width, int height, const char* text);
HWND create_button_gadget(int number, int x, int y, int width, int height, const char* text);
HWND create_trackbar_gadget(int number, int x, int y, int width, int height, int minimum, int maximum, unsigned long flags = 0);
HWND create_image_gadget(int number, int x, int y, int width, int height, HANDLE image, unsigned long extended_style);
HWND create_link_gadget(int number, int x, int y, int width, int height, const char* text, COLORREF colour);
void set_gadget_text(int number, const char* text);
// A scratch text of at most 31999 characters.
char* get_gadget_text(int number);
void set_gadget_state(int number, LPARAM value);
int get_gadget_state(int number);
void disable_gadget(int number, int disable);
void set_gadget_focus(int number);
void set_gadget_font(int number, HFONT font);
void free_gadget(int number);
HWND gadget_handle(int number);
