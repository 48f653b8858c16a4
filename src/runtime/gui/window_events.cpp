// Placeholder until this module is built.
#include "runtime/gui/window_events.h"

EventState event_state;
ObjectTable window_table;
void init_windows(HINSTANCE) {}
ObjectNumber open_window(ObjectNumber, int, int, int, int, unsigned long, const char*) { return 0; }
void close_window(ObjectNumber) {}
void close_all_windows() {}
HWND window_handle(ObjectNumber) { return 0; }
HWND last_window_handle() { return 0; }
void hide_window(ObjectNumber, int) {}
int wait_event() { return 0; }
ObjectNumber event_window() { return -1; }
int event_gadget() { return 0; }
int event_menu_item() { return 0; }
HINSTANCE runtime_instance() { return 0; }
