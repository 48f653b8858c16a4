// Popup menus: their items in order, replacement and freeing, and a real TrackPopupMenu that is
// dismissed or used from the keyboard while it runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/gui/menus.h"
#include "win32_support.h"

namespace {

std::vector<MSG> commands;

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) {
        MSG m = {};
        m.message = message, m.wParam = wparam, m.lParam = lparam;
        commands.push_back(m);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND open_owner(int x) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA c = {};
        c.lpfnWndProc = owner_procedure;
        c.hInstance = GetModuleHandleA(0);
        c.lpszClassName = "MenuTestOwner";
        RegisterClassA(&c);
        registered = true;
    }
    return CreateWindowExA(0, "MenuTestOwner", "owner", WS_POPUP | WS_VISIBLE, x, 300, 120, 40, 0, 0,
                           GetModuleHandleA(0), 0);
}

// Hiding a visible top-level window costs Wine about two seconds on a display without a window
// manager, so the windows live for the whole suite.
HWND owner, other;

class Menus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_menus();
        other = open_owner(400);
        owner = open_owner(200);
    }
    static void TearDownTestSuite() {
        DestroyWindow(owner);
        DestroyWindow(other);
    }
    void TearDown() override {
        for (ObjectNumber n = 0; n < menu_table.capacity; ++n) free_menu(n);
    }
};

struct Item {
    bool separator;
    UINT id;
    std::string text;
};

std::vector<Item> items_of(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({(info.fType & MFT_SEPARATOR) != 0, info.wID, text});
    }
    return items;
}

bool operator==(const Item& a, const Item& b) { return a.separator == b.separator && a.id == b.id && a.text == b.text; }
void PrintTo(const Item& i, std::ostream* os) { *os << (i.separator ? "---" : i.text) << "#" << i.id; }

HMENU build_program_menu(ObjectNumber number) {
    HMENU menu = reinterpret_cast<HMENU>(create_popup_menu(number));
    add_menu_item(1, "Config");
    add_menu_separator();
    add_menu_item(2, "About");
    add_menu_separator();
    add_menu_item(3, "Exit");
    return menu;
}

TEST_F(Menus, ItemsAndSeparatorsAreAppendedInOrderWithTheirNumbers) {
    HMENU menu = build_program_menu(0);
    ASSERT_TRUE(IsMenu(menu));
    const UINT separator_id = static_cast<UINT>(-1);
    const std::vector<Item> expected = {
        {false, 1, "Config"}, {true, separator_id, ""}, {false, 2, "About"}, {true, separator_id, ""}, {false, 3, "Exit"},
    };
    EXPECT_EQ(expected, items_of(menu));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
}

TEST_F(Menus, RecreatingANumberDestroysTheOldMenuAndFreeingIsIdempotent) {
    HMENU first = build_program_menu(0);
    HMENU second = reinterpret_cast<HMENU>(create_popup_menu(0));
    EXPECT_FALSE(IsMenu(first));
    ASSERT_TRUE(IsMenu(second));
    add_menu_item(7, "Only");
    EXPECT_EQ(1, GetMenuItemCount(second));

    free_menu(0);
    EXPECT_FALSE(IsMenu(second));
    EXPECT_EQ(nullptr, find_object(&menu_table, 0));
    free_menu(0);
    free_menu(5);
    // Nothing is being filled any more: adding goes nowhere rather than into a stale handle.
    add_menu_item(8, "Lost");

    // A number beyond the table grows it by the step.
    EXPECT_TRUE(create_popup_menu(12));
    EXPECT_EQ(42, menu_table.capacity);
}

TEST_F(Menus, AnyNumberMenusGetDistinctNumbersAndFreeIndependently) {
    ObjectNumber a = create_popup_menu(ANY_NUMBER);
    HMENU a_menu = static_cast<MenuRecord*>(find_object(&menu_table, a))->menu_handle;
    ObjectNumber b = create_popup_menu(ANY_NUMBER);
    add_menu_item(4, "b");
    ASSERT_NE(0, a);
    ASSERT_NE(0, b);
    EXPECT_NE(a, b);
    EXPECT_GE(a, menu_table.capacity);
    free_menu(a);
    EXPECT_FALSE(IsMenu(a_menu));
    MenuRecord* rb = static_cast<MenuRecord*>(find_object(&menu_table, b));
    ASSERT_NE(nullptr, rb);
    EXPECT_EQ(1, GetMenuItemCount(rb->menu_handle));
    free_menu(b);
    EXPECT_EQ(nullptr, menu_table.any_list);
}

// What the test does while the menu's own loop runs.
enum Action { Dismiss, ChooseSecondItem };
Action action;
RECT menu_rect;

VOID CALLBACK act_in_menu(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    HWND popup = FindWindowA("#32768", 0);
    if (popup) GetWindowRect(popup, &menu_rect);
    // The menu loop reads keys from the thread's queue, whatever window they are posted to.
    if (action == ChooseSecondItem) {
        PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    } else {
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

struct PopupRun {
    explicit PopupRun(Action a) {
        action = a;
        SetRectEmpty(&menu_rect);
        commands.clear();
        SetForegroundWindow(other);
        pump_messages();
        SetCursorPos(100, 120);
        SetTimer(owner, 1, 200, act_in_menu);
        const DWORD start = GetTickCount();
        show_popup_menu(0, owner);
        elapsed = GetTickCount() - start;
        foreground = GetForegroundWindow();
        pump_messages();
    }
    HWND foreground;
    DWORD elapsed;
};

TEST_F(Menus, ADismissedPopupReturnsAndPostsNothing) {
    build_program_menu(0);
    PopupRun run(Dismiss);
    EXPECT_LT(run.elapsed, 5000u);
    EXPECT_EQ(owner, run.foreground);
    // The menu opened one pixel up and left of the cursor.
    EXPECT_EQ(99, menu_rect.left);
    EXPECT_EQ(119, menu_rect.top);
    EXPECT_TRUE(commands.empty());
}

TEST_F(Menus, AChosenItemIsPostedAsACommandWithItsNumber) {
    build_program_menu(0);
    PopupRun run(ChooseSecondItem);
    ASSERT_EQ(1u, commands.size());
    // The separator is skipped: the second item is "About".
    EXPECT_EQ(2u, commands[0].wParam);
    EXPECT_EQ(0, commands[0].lParam);
}

TEST_F(Menus, ShowingAnAbsentMenuReturnsAtOnce) {
    commands.clear();
    show_popup_menu(9, owner);
    pump_messages();
    EXPECT_TRUE(commands.empty());
}

}  // namespace
