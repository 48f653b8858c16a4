// The window procedure with real windows and controls: which messages become which events,
// what the senders get back, and Tab / Shift+Tab pressed as a person would.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "runtime/gui/window_events.h"
#include "runtime/gui/window_procedure.h"
#include "win32_support.h"

namespace {
const int kDialog = 1;

HWND child(HWND parent, const char* cls, DWORD style, int id) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 10 + 30 * id, 10, 25, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(0), 0);
}

class WindowProcedure : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        init_windows(GetModuleHandleA(0));
    }
    void SetUp() override {
        dialog = reinterpret_cast<HWND>(open_window(kDialog, 0, 0, 400, 200, 0x00000001, "Dialog"));
        ASSERT_NE(HWND(0), dialog);
        settle_events();
    }
    void TearDown() override {
        close_all_windows();
        settle_events();
    }
    HWND dialog = 0;
};
}  // namespace

TEST_F(WindowProcedure, MessagesBecomeEventsAndSendersGetTheirAnswers) {
    HWND edit = child(dialog, "EDIT", WS_VISIBLE, 5);
    HWND container = child(dialog, "TemplateClass", WS_VISIBLE, 30);
    HWND trackbar = child(container, TRACKBAR_CLASSA, WS_VISIBLE, 6);
    ASSERT_NE(HWND(0), trackbar);
    settle_events();
    struct Row {
        const char* what;
        HWND target;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        LRESULT answer;
        int pending, object, type;
        HWND event_window;
    } rows[] = {
        {"edit notification", dialog, WM_COMMAND, MAKEWPARAM(5, EN_CHANGE), reinterpret_cast<LPARAM>(edit), 0,
         EventGadget, 5, EN_CHANGE, dialog},
        {"menu item", dialog, WM_COMMAND, 2, 0, 0, EventMenu, 2, -1, dialog},
        {"other accelerator", dialog, WM_COMMAND, MAKEWPARAM(42, 1), 0, MAKEWPARAM(0, 1), EventMenu, 42, -1, dialog},
        {"gadget report", dialog, MSG_GADGET_EVENT, 9, 14001, 14001, EventGadget, 9, 14001, dialog},
        {"own scroll bar", dialog, WM_VSCROLL, SB_LINEDOWN, 0, 0, EventGadget, 0, -1, dialog},
        {"nested scroll report", container, WM_HSCROLL, TB_LINEDOWN, reinterpret_cast<LPARAM>(trackbar), 0,
         EventGadget, 6, -1, dialog},
        {"close request", dialog, WM_CLOSE, 0, 0, 0, EventCloseWindow, -1, -1, dialog},
        {"move", dialog, WM_MOVE, 0, MAKELPARAM(3, 4), 0, EventMoveWindow, -1, -1, dialog},
        {"size", dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(3, 4), 0, EventSizeWindow, -1, -1, dialog},
        {"unhandled", dialog, WM_USER + 3, 0, 0, 0, 0, -1, -1, dialog},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        event_state.pending_event = 0;
        event_state.event_object = -1;
        event_state.event_type = -1;
        EXPECT_EQ(r.answer, SendMessageA(r.target, r.message, r.wparam, r.lparam));
        EXPECT_EQ(r.pending, event_state.pending_event);
        EXPECT_EQ(r.object, event_state.event_object);
        EXPECT_EQ(r.type, event_state.event_type);
        EXPECT_EQ(r.event_window, event_state.event_window_handle);
        EXPECT_EQ(r.message, event_state.message);
        EXPECT_EQ(r.wparam, event_state.wparam);
        EXPECT_EQ(r.lparam, event_state.lparam);
    }
    // Notifications are answered 0 and leave no event.
    event_state.pending_event = 0;
    NMHDR header = {trackbar, 6, static_cast<UINT>(NM_RELEASEDCAPTURE)};
    EXPECT_EQ(0, SendMessageA(dialog, WM_NOTIFY, 6, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(0, event_state.pending_event);
}

TEST_F(WindowProcedure, ControlsReportThroughThePollWithTheirNumber) {
    HWND button = child(dialog, "BUTTON", WS_VISIBLE | BS_PUSHBUTTON, 7);
    HWND trackbar = child(dialog, TRACKBAR_CLASSA, WS_VISIBLE, 6);
    HWND edit = child(dialog, "EDIT", WS_VISIBLE, 10);
    settle_events();

    SendMessageA(button, BM_CLICK, 0, 0);  // the button tells its window at once
    EXPECT_EQ(BN_CLICKED, event_state.event_type);
    PostMessageA(dialog, WM_USER, 0, 0);
    EXPECT_EQ(EventGadget, wait_event());
    EXPECT_EQ(7, event_gadget());
    EXPECT_EQ(kDialog, event_window());
    settle_events();

    SendMessageA(trackbar, WM_KEYDOWN, VK_RIGHT, 0);  // a step of the slider
    EXPECT_EQ(EventGadget, event_state.pending_event);
    EXPECT_EQ(6, event_state.event_object);
    settle_events();

    SetWindowTextA(edit, "typed");
    EXPECT_EQ(EventGadget, event_state.pending_event);
    EXPECT_EQ(EN_CHANGE, event_state.event_type);
    settle_events();

    PostMessageA(dialog, WM_COMMAND, 3, 0);
    EXPECT_EQ(EventMenu, wait_event());
    EXPECT_EQ(3, event_menu_item());
    EXPECT_EQ(3, event_gadget());
    EXPECT_EQ(-1, event_state.event_type) << "no detail given since this poll began";
}

TEST_F(WindowProcedure, TopLevelAncestorFollowsParentsAndOwners) {
    HWND container = child(dialog, "STATIC", WS_VISIBLE, 1);
    HWND inner = child(container, "BUTTON", WS_VISIBLE, 2);
    HWND owned = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, dialog, 0, GetModuleHandleA(0), 0);
    struct Row { HWND from, to; } rows[] = {{inner, dialog}, {container, dialog}, {dialog, dialog}, {owned, dialog}, {0, 0}};
    for (const Row& r : rows) EXPECT_EQ(r.to, top_level_ancestor(r.from));
    DestroyWindow(owned);
}

namespace {
// The dialog's children: enabled, disabled, hidden and no-tab-stop ones, and one a level down.
class TabOrder : public WindowProcedure {
protected:
    void SetUp() override {
        WindowProcedure::SetUp();
        a = child(dialog, "BUTTON", WS_VISIBLE | WS_TABSTOP, 1);
        child(dialog, "BUTTON", WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 2);
        no_stop = child(dialog, "BUTTON", WS_VISIBLE, 3);
        child(dialog, "EDIT", WS_TABSTOP, 4);  // hidden
        e = child(dialog, "EDIT", WS_VISIBLE | WS_TABSTOP | WS_BORDER, 5);
        f = child(dialog, "BUTTON", WS_VISIBLE | WS_TABSTOP, 6);
        HWND box = child(dialog, "STATIC", WS_VISIBLE, 7);
        h = child(box, "BUTTON", WS_VISIBLE | WS_TABSTOP, 8);
        SetForegroundWindow(dialog);
        SetActiveWindow(dialog);
        settle_events();
    }
    std::string name(HWND w) const {
        return w == a ? "a" : w == e ? "e" : w == f ? "f" : w == h ? "h" : w == no_stop ? "no-stop" : w == dialog ? "dialog" : "other";
    }
    HWND a = 0, no_stop = 0, e = 0, f = 0, h = 0;
};

// Presses Tab, with Shift when asked, as a person would, and returns what the poll made of the
// Tab key press itself (-1 when it never arrived).
int press_tab(bool shift) {
    INPUT keys[4] = {};
    int n = 0;
    if (shift) keys[n++].ki.wVk = VK_SHIFT;
    keys[n++].ki.wVk = VK_TAB;
    keys[n].ki.wVk = VK_TAB;
    keys[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    if (shift) {
        keys[n].ki.wVk = VK_SHIFT;
        keys[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    for (int i = 0; i < n; ++i) keys[i].type = INPUT_KEYBOARD;
    SendInput(n, keys, sizeof(INPUT));
    const WPARAM last_key = shift ? VK_SHIFT : VK_TAB;
    int tab_result = -1;
    for (int turn = 0; turn < 1000; ++turn) {
        int result = wait_event();
        if (result == 0) {
            Sleep(1);
            continue;
        }
        const MSG& m = event_state.queued_message;
        if (m.message == WM_KEYDOWN && m.wParam == VK_TAB) tab_result = result;
        if (m.message == WM_KEYUP && m.wParam == last_key) break;
    }
    return tab_result;
}
}  // namespace

TEST_F(TabOrder, TabAndShiftTabVisitEligibleControlsInCreationOrderAndWrapAround) {
    ASSERT_EQ(dialog, GetActiveWindow());
    struct Step { const char* from; bool shift; const char* focus; int poll; } steps[] = {
        {"dialog", false, "a", WM_KEYDOWN},  // nothing inside focused: the first
        {nullptr, false, "e", EventGadget},  // the edit control reports gaining the focus
        {nullptr, false, "f", EventGadget},  // ... and losing it
        {nullptr, false, "h", WM_KEYDOWN},   // one level down
        {nullptr, false, "a", WM_KEYDOWN},   // from the last to the first
        {nullptr, true, "h", WM_KEYDOWN},    // and back from the first to the last
        {nullptr, true, "f", WM_KEYDOWN},
        {nullptr, true, "e", EventGadget},
        {nullptr, true, "a", EventGadget},
        {"dialog", true, "h", WM_KEYDOWN},   // nothing inside focused: the last
        {"no-stop", false, "no-stop", WM_KEYDOWN},  // outside the order Tab finds no place
        {"no-stop", true, "h", WM_KEYDOWN},
    };
    int index = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << index++ << (s.shift ? " Shift+Tab" : " Tab"));
        if (s.from) SetFocus(std::string(s.from) == "dialog" ? dialog : no_stop);
        EXPECT_EQ(s.poll, press_tab(s.shift));
        EXPECT_EQ(s.focus, name(GetFocus()));
        if (s.poll == EventGadget) EXPECT_EQ(5, event_gadget());
    }
}

TEST_F(TabOrder, NoFocusTakesTheFirstAndNoEligibleControlKeepsTheFocus) {
    SetFocus(0);
    focus_next();  // with no focus at all, as with the window itself focused
    EXPECT_EQ("a", name(GetFocus()));
    for (HWND w : {a, e, f, h}) EnableWindow(w, FALSE);
    SetFocus(no_stop);
    focus_next();
    EXPECT_EQ("no-stop", name(GetFocus()));
    focus_previous();
    EXPECT_EQ("no-stop", name(GetFocus()));
}

// The platform's radio buttons keep WS_TABSTOP only while checked, so after one option of a run
// has been selected Tab visits that one alone.
TEST_F(TabOrder, UncheckedRadioButtonsLoseTheirTabStop) {
    HWND first = child(dialog, "BUTTON", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 20);
    HWND second = child(dialog, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON, 21);
    SendMessageA(first, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(second, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(0, GetWindowLongA(first, GWL_STYLE) & WS_TABSTOP);
    SetFocus(h);
    focus_next();  // the unchecked first option is passed over
    EXPECT_EQ(second, GetFocus());
    focus_next();
    EXPECT_EQ("a", name(GetFocus()));
}
