// Numbered popup menus. A menu is filled right after its creation; the choice made in it comes
// back to the window as a posted WM_COMMAND carrying the item number.
#include "runtime/gui/menus.h"

ObjectTable menu_table;

namespace {
const int kInitialCapacity = 10;
const int kGrowthStep = 30;
const UINT_PTR kSeparatorId = static_cast<UINT_PTR>(-1);

HMENU menu_being_filled;

MenuRecord* menu_record(ObjectNumber number) { return static_cast<MenuRecord*>(find_object(&menu_table, number)); }
}  // namespace

void init_menus() {
    menu_being_filled = 0;
    init_object_table(&menu_table, sizeof(MenuRecord), kInitialCapacity, kGrowthStep);
}

ObjectNumber create_popup_menu(ObjectNumber number) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    if (number != ANY_NUMBER && menu_record(number)) free_menu(number);
    MenuRecord* record = static_cast<MenuRecord*>(reserve_slot(&menu_table, number));
    if (!record) {
        DestroyMenu(menu);
        return 0;
    }
    record->menu_handle = menu;
    record->menu_window = 0;
    menu_being_filled = menu;
    return number == ANY_NUMBER ? record_number(&menu_table, record) : reinterpret_cast<ObjectNumber>(menu);
}

void add_menu_item(int item, const char* text) {
    AppendMenuA(menu_being_filled, MF_STRING, static_cast<UINT_PTR>(item), text ? text : "");
}

void add_menu_separator() { AppendMenuA(menu_being_filled, MF_SEPARATOR, kSeparatorId, 0); }

// The window must be in the foreground for the menu to close when the user clicks elsewhere.
void show_popup_menu(ObjectNumber number, HWND window) {
    MenuRecord* record = menu_record(number);
    HMENU menu = record ? record->menu_handle : 0;
    SetForegroundWindow(window);
    POINT cursor;
    if (!GetCursorPos(&cursor)) {
        // Where the pointer was when the click that asked for the menu was queued.
        const DWORD position = GetMessagePos();
        cursor.x = static_cast<short>(LOWORD(position));
        cursor.y = static_cast<short>(HIWORD(position));
    }
    TrackPopupMenu(menu, 0, cursor.x - 1, cursor.y - 1, 0, window, 0);
}

void free_menu(ObjectNumber number) {
    MenuRecord* record = menu_record(number);
    if (!record) return;
    if (record->menu_window) SetMenu(record->menu_window, 0);
    if (record->menu_handle == menu_being_filled) menu_being_filled = 0;
    DestroyMenu(record->menu_handle);
    release_slot(&menu_table, number);
}
