// Popup menus, the program's own among them: their items in order, replacement and freeing, and
// a real TrackPopupMenu that is dismissed or used from the keyboard while it runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/program.h"
#include "resource.h"
#include "runtime/gui/menus.h"
#include "win32_support.h"

namespace {

std::vector<WPARAM> commands;
HWND owner, other;

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && lparam == 0) commands.push_back(wparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

// Hiding a visible top-level window costs Wine about two seconds on a display without a window
// manager, so the windows live for the whole suite.
class Menus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_menus();
        WNDCLASSA c = {};
        c.lpfnWndProc = owner_procedure;
        c.lpszClassName = "MenuTestOwner";
        RegisterClassA(&c);
        other = CreateWindowExA(0, c.lpszClassName, "", WS_POPUP | WS_VISIBLE, 400, 300, 120, 40, 0, 0, 0, 0);
        owner = CreateWindowExA(0, c.lpszClassName, "", WS_POPUP | WS_VISIBLE, 200, 300, 120, 40, 0, 0, 0, 0);
    }
    void TearDown() override {
        for (ObjectNumber n = 0; n < menu_table.capacity; ++n) free_menu(n);
    }
};

// Each item as "text#id", separators as "-#id".
std::vector<std::string> items_of(HMENU menu) {
    std::vector<std::string> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back(std::string(info.fType & MFT_SEPARATOR ? "-" : text) + "#" + std::to_string(static_cast<int>(info.wID)));
    }
    return items;
}

std::string item(const char* text, int number) { return std::string(text) + "#" + std::to_string(number); }

// The program's own menu, as its start-up builds it, serves as the example throughout.
HMENU program_menu() {
    build_popup_menu();
    return static_cast<MenuRecord*>(find_object(&menu_table, kPopupMenu))->menu_handle;
}

TEST_F(Menus, ItemsInOrderReplacementFreeingAndAnyNumber) {
    HMENU first = program_menu();
    const std::vector<std::string> items = {item("Config", kMenuConfig), "-#-1", item("About", kMenuAbout), "-#-1",
                                            item("Exit", kMenuExit)};
    EXPECT_EQ(items, items_of(first));

    // The same number again destroys the old menu and fills the new one.
    HMENU second = reinterpret_cast<HMENU>(create_popup_menu(kPopupMenu));
    EXPECT_FALSE(IsMenu(first));
    add_menu_item(7, "Only");
    EXPECT_EQ(std::vector<std::string>{"Only#7"}, items_of(second));
    free_menu(kPopupMenu);
    EXPECT_FALSE(IsMenu(second));
    free_menu(kPopupMenu);
    free_menu(5);
    EXPECT_NE(0, create_popup_menu(12));
    EXPECT_EQ(42, menu_table.capacity);

    ObjectNumber a = create_popup_menu(ANY_NUMBER);
    HMENU a_menu = static_cast<MenuRecord*>(find_object(&menu_table, a))->menu_handle;
    ObjectNumber b = create_popup_menu(ANY_NUMBER);
    add_menu_item(4, "b");
    EXPECT_NE(a, b);
    EXPECT_GE(a, menu_table.capacity);
    free_menu(a);
    EXPECT_FALSE(IsMenu(a_menu));
    ASSERT_NE(nullptr, find_object(&menu_table, b));
    EXPECT_EQ(std::vector<std::string>{"b#4"}, items_of(static_cast<MenuRecord*>(find_object(&menu_table, b))->menu_handle));
    free_menu(b);
    EXPECT_EQ(nullptr, menu_table.any_list);
}

// What the test does while the menu's own loop runs: once the menu is up (a slow machine may
// take several turns of the timer), note where it stands and press the keys.
bool choose;
bool menu_seen;
RECT menu_rect;
int menu_polls;

// The visible menu window: the desktop may hold other, hidden ones of the same class.
BOOL CALLBACK note_visible_menu(HWND w, LPARAM) {
    if (class_of(w) == "#32768" && IsWindowVisible(w)) {
        GetWindowRect(w, &menu_rect);
        menu_seen = true;
    }
    return TRUE;
}

VOID CALLBACK act_in_menu(HWND window, UINT, UINT_PTR timer, DWORD) {
    EnumWindows(note_visible_menu, 0);
    if (!menu_seen && ++menu_polls < 250) return;
    KillTimer(window, timer);
    // The menu loop reads keys from the thread's queue, whatever window they are posted to.
    for (WPARAM key : choose ? std::vector<WPARAM>{VK_DOWN, VK_DOWN, VK_RETURN} : std::vector<WPARAM>{VK_ESCAPE})
        PostMessageA(window, WM_KEYDOWN, key, 0);
}

void start_menu_timer() {
    menu_seen = false;
    menu_polls = 0;
    SetRectEmpty(&menu_rect);
    SetTimer(owner, 1, 20, act_in_menu);
}

// The menu opens with its corner at the point, moved up where it would not fit below it, and
// never above the work area.
void expect_menu_at(int x, int y, int line) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG height = menu_rect.bottom - menu_rect.top;
    const LONG top = std::max(work.top, std::min(static_cast<LONG>(y), work.bottom - height));
    EXPECT_TRUE(menu_seen && menu_rect.left == x && menu_rect.top == top)
        << "line " << line << ": menu " << (menu_seen ? "seen" : "never seen") << " at " << menu_rect.left << ","
        << menu_rect.top << "-" << menu_rect.right << "," << menu_rect.bottom << ", expected corner " << x << "," << top
        << ", work area " << work.left << "," << work.top << "-" << work.right << "," << work.bottom;
}

// Moves the pointer as the mouse would; on a display without a window manager Wine does not
// warp the pointer for SetCursorPos. False when the pointer did not get there.
bool move_mouse_to(int x, int y) {
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &move, sizeof move);
    for (int i = 0; i < 500; ++i) {
        POINT p;
        GetCursorPos(&p);
        if (p.x == x && p.y == y) return true;
        Sleep(10);
    }
    return false;
}

TEST_F(Menus, PopupOpensAtTheCursorAndPostsTheChosenItemOnly) {
    program_menu();
    for (bool c : {false, true}) {
        choose = c;
        commands.clear();
        SetForegroundWindow(other);
        pump_messages();  // let the activation settle before the menu takes the foreground
        Sleep(50);
        pump_messages();
        ASSERT_TRUE(move_mouse_to(100, 120));
        start_menu_timer();
        show_popup_menu(kPopupMenu, owner);
        EXPECT_EQ(owner, GetForegroundWindow());
        expect_menu_at(99, 119, __LINE__);
        pump_messages();
        // Down, Down skips the separator: the second item, "About".
        EXPECT_EQ(c ? std::vector<WPARAM>{kMenuAbout} : std::vector<WPARAM>{}, commands);
    }
    // An absent number shows nothing and returns at once.
    show_popup_menu(9, owner);
    pump_messages();
}

BOOL WINAPI refuse_cursor_position(LPPOINT point) {
    point->x = point->y = -5000;
    return FALSE;
}

// Without the cursor position the menu opens where the pointer was when the last message
// (in the program, the right click) was queued.
TEST_F(Menus, PopupOpensAtTheLastMessagesPositionWhenTheCursorCannotBeRead) {
    program_menu();
    choose = false;
    SetForegroundWindow(other);
    ASSERT_TRUE(move_mouse_to(140, 160));
    pump_messages();
    PostMessageA(owner, WM_NULL, 0, 0);
    pump_messages();
    ASSERT_EQ(MAKELONG(140, 160), static_cast<LONG>(GetMessagePos()));
    start_menu_timer();
    void* real = replace_import("GetCursorPos", reinterpret_cast<void*>(refuse_cursor_position));
    ASSERT_TRUE(real);
    show_popup_menu(kPopupMenu, owner);
    replace_import("GetCursorPos", real);
    expect_menu_at(139, 159, __LINE__);
    pump_messages();
}

}  // namespace
