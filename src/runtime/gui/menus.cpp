// Placeholder until this module is built.
#include "runtime/gui/menus.h"

void init_menus() {}
ObjectNumber create_popup_menu(ObjectNumber) { return 0; }
void add_menu_item(int, const char*) {}
void add_menu_separator() {}
void show_popup_menu(ObjectNumber, HWND) {}
void free_menu(ObjectNumber) {}
