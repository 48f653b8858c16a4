// Numbered popup menus filled one item at a time and shown at the mouse cursor.
#pragma once

#include <windows.h>

#include "runtime/base/object_table.h"

struct MenuRecord {
    HMENU menu_handle;   // null: the number is free
    HWND menu_window;    // window holding the menu as its menu bar; null for popup menus
};
static_assert(handle_first(offsetof(MenuRecord, menu_handle), sizeof(MenuRecord::menu_handle)), "the table finds the handle first");

extern ObjectTable menu_table;

void init_menus();
ObjectNumber create_popup_menu(ObjectNumber number);
void add_menu_item(int item, const char* text);
void add_menu_separator();
void show_popup_menu(ObjectNumber number, HWND window);
void free_menu(ObjectNumber number);
