// Placeholder until this module is built.
#include "runtime/base/strings.h"
#include "runtime/gui/gadgets.h"

void init_gadgets() {}
HWND use_gadget_list(HWND w) { return w; }
HWND create_frame_gadget(int, int, int, int, int, const char*) { return 0; }
HWND create_checkbox_gadget(int, int, int, int, int, const char*) { return 0; }
HWND create_text_gadget(int, int, int, int, int, const char*, unsigned long) { return 0; }
HWND create_string_gadget(int, int, int, int, int, const char*) { return 0; }
HWND create_option_gadget(int, int, int, int, int, const char*) { return 0; }
HWND create_button_gadget(int, int, int, int, int, const char*) { return 0; }
HWND create_trackbar_gadget(int, int, int, int, int, int, int, unsigned long) { return 0; }
HWND create_image_gadget(int, int, int, int, int, HANDLE, unsigned long) { return 0; }
HWND create_link_gadget(int, int, int, int, int, const char*, COLORREF) { return 0; }
void set_gadget_text(int, const char*) {}
char* get_gadget_text(int) { return append_text(""); }
void set_gadget_state(int, LPARAM) {}
int get_gadget_state(int) { return 0; }
void disable_gadget(int, int) {}
void set_gadget_focus(int) {}
void set_gadget_font(int, HFONT) {}
void free_gadget(int) {}
HWND gadget_handle(int) { return 0; }
