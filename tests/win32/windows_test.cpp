// Numbered windows and the event poll, with real windows: styles and rectangles per flag row,
// classes and accelerators that live and die with their window, the pending-event slot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/gui/window_events.h"
#include "win32_support.h"

namespace {
const DWORD kStyleMask = WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZE;

class Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_windows(GetModuleHandleA(0)); }
    void SetUp() override { settle_events(); }
    void TearDown() override {
        close_all_windows();
        settle_events();
    }
};

bool class_exists(const char* name) {
    WNDCLASSA info;
    return GetClassInfoA(GetModuleHandleA(0), name, &info) != 0;
}

RECT outer_rect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

SIZE client_size(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(window, &r);
    SIZE s = {r.right - r.left, r.bottom - r.top};
    return s;
}
}  // namespace

TEST_F(Windows, EachFlagRowGivesItsStyleClientSizeAndPosition) {
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    const int centred = -1;
    struct Row {
        unsigned long flags;
        DWORD style;      // within kStyleMask
        int left, top;    // expected outer position; centred: on the screen
    } rows[] = {
        {0x10000000, WS_CAPTION, 40, 50},                            // hidden with a caption
        {0x90000000, WS_POPUP, 40, 50},                              // hidden, captionless popup
        {0x80000000, WS_POPUP | WS_VISIBLE, 40, 50},
        {0x00000001, WS_CAPTION | WS_VISIBLE, centred, centred},
        {0x10000001, WS_CAPTION, centred, centred},                  // the dialogs
        {0x90000001, WS_POPUP, centred, centred},
        {WS_POPUP | WS_BORDER, WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 50},
        {WS_OVERLAPPEDWINDOW | 0x10000000, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 40, 50},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << "flags 0x" << r.flags);
        HWND window = reinterpret_cast<HWND>(open_window(4, 40, 50, 300, 255, r.flags, "Row"));
        ASSERT_NE(HWND(0), window);
        EXPECT_EQ(r.style, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & kStyleMask);
        EXPECT_EQ(300, client_size(window).cx);
        EXPECT_EQ(255, client_size(window).cy);
        RECT outer = outer_rect(window);
        const int width = outer.right - outer.left, height = outer.bottom - outer.top;
        EXPECT_EQ(r.left == centred ? screen_w / 2 - width / 2 : r.left, outer.left);
        EXPECT_EQ(r.top == centred ? screen_h / 2 - height / 2 : r.top, outer.top);
        EXPECT_EQ(window, window_handle(4));
        EXPECT_EQ(window, last_window_handle());
    }
    // Visible with the maximise bit: shown maximised.
    HWND big = reinterpret_cast<HWND>(open_window(4, 10, 10, 100, 80, WS_CAPTION | WS_MAXIMIZE, "Big"));
    EXPECT_TRUE(IsWindowVisible(big) && IsZoomed(big));
}

TEST_F(Windows, WiderThanTheScreenIsPlacedAtTheLeftEdgeAtFullSize) {
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    HWND popup = reinterpret_cast<HWND>(open_window(5, 0, 0, screen_w + 301, 100, 0x90000001, "Wide"));
    ASSERT_NE(HWND(0), popup);
    RECT r = outer_rect(popup);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(screen_w + 301, r.right - r.left);
    EXPECT_EQ(screen_h / 2 - 50, r.top);
    // A captioned window is placed the same way; the platform itself limits its size.
    HWND dialog = reinterpret_cast<HWND>(open_window(6, 0, 0, 200, screen_h + 5, 0x10000001, "Tall"));
    ASSERT_NE(HWND(0), dialog);
    r = outer_rect(dialog);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(screen_w / 2 - (r.right - r.left) / 2, r.left);
}

TEST_F(Windows, ActiveWindowCentringUsesTheActiveWindowOrTheScreenAndNeverGoesNegative) {
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(HWND(0), GetActiveWindow());
    for (unsigned long flags : {0x2ul, 0x3ul}) {
        RECT r = outer_rect(reinterpret_cast<HWND>(open_window(7, 5, 5, 120, 60, WS_POPUP | flags, "Lone")));
        EXPECT_EQ(screen_w / 2 - 60, r.left) << flags;
        EXPECT_EQ(screen_h / 2 - 30, r.top) << flags;
        close_window(7);
    }
    HWND owner = reinterpret_cast<HWND>(open_window(1, 100, 200, 401, 301, WS_POPUP, "Owner"));
    SetActiveWindow(owner);
    ASSERT_EQ(owner, GetActiveWindow());
    for (unsigned long flags : {0x2ul, 0x3ul}) {
        RECT r = outer_rect(reinterpret_cast<HWND>(open_window(2, 0, 0, 121, 61, 0x90000000 | flags, "Over")));
        EXPECT_EQ(100 + 200 - 60, r.left) << flags;
        EXPECT_EQ(200 + 150 - 30, r.top) << flags;
    }
    // Bigger than the active window near the corner: clamped to 0, not negative.
    SetWindowPos(owner, 0, 10, 10, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r = outer_rect(reinterpret_cast<HWND>(open_window(2, 0, 0, 500, 400, 0x90000002, "Big")));
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
}

TEST_F(Windows, EveryWindowHasItsOwnClassFromTheTemplate) {
    EXPECT_TRUE(class_exists("TemplateClass"));
    HWND label = reinterpret_cast<HWND>(open_window(3, 0, 0, 50, 20, 0x90000000, "Norvane"));
    EXPECT_EQ("WindowClass_3", class_of(label));
    EXPECT_EQ(ULONG_PTR(CS_DBLCLKS), GetClassLongPtrA(label, GCL_STYLE));
    EXPECT_EQ(ULONG_PTR(COLOR_BTNFACE + 1), GetClassLongPtrA(label, GCLP_HBRBACKGROUND));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadCursorA(0, IDC_ARROW)), GetClassLongPtrA(label, GCLP_HCURSOR));
    EXPECT_EQ("Norvane", text_of(label));
}

TEST_F(Windows, ReopeningANumberDestroysTheOldWindowAndRegistersItsClassAgain) {
    HWND first = reinterpret_cast<HWND>(open_window(3, 0, 0, 50, 20, 0x90000000, "Norvane"));
    HACCEL first_accelerators = static_cast<WindowRecord*>(find_object(&window_table, 3))->accelerator_table;
    ASSERT_NE(HACCEL(0), first_accelerators);
    const ULONG_PTR first_small_icon = GetClassLongPtrA(first, GCLP_HICONSM);
    HWND second = reinterpret_cast<HWND>(open_window(3, 0, 0, 60, 20, 0x90000000, "Norvane"));
    ASSERT_NE(HWND(0), second);
    EXPECT_FALSE(IsWindow(first));
    // The program's own small icon, loaded once: a small icon the system made for every
    // registration would be a new one each time (and Wine never frees those).
    EXPECT_NE(ULONG_PTR(0), first_small_icon);
    EXPECT_EQ(first_small_icon, GetClassLongPtrA(second, GCLP_HICONSM));
    EXPECT_EQ(second, window_handle(3));
    EXPECT_EQ("WindowClass_3", class_of(second));
    EXPECT_FALSE(DestroyAcceleratorTable(first_accelerators)) << "the old table was freed";

    close_window(3);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(HWND(0), window_handle(3));
    EXPECT_FALSE(class_exists("WindowClass_3"));
    EXPECT_EQ(second, last_window_handle()) << "closing does not forget the last opened window";
    close_window(3);   // closing twice, or a number never opened, does nothing
    close_window(8);
    hide_window(8, 0);
}

TEST_F(Windows, HidingShowsOnZeroAndHidesOnAnythingElse) {
    HWND dialog = reinterpret_cast<HWND>(open_window(1, 0, 0, 300, 255, 0x10000001, "Dialog"));
    EXPECT_FALSE(IsWindowVisible(dialog));
    hide_window(1, 0);
    EXPECT_TRUE(IsWindowVisible(dialog));
    hide_window(1, 2);
    EXPECT_FALSE(IsWindowVisible(dialog));
}

TEST_F(Windows, NumbersBeyondTheTableAndAnyNumberWindowsCloseAtShutdown) {
    HWND ten = reinterpret_cast<HWND>(open_window(10, 0, 0, 10, 10, 0x90000000, "Ten"));
    EXPECT_EQ(40, window_table.capacity);
    ObjectNumber any = open_window(ANY_NUMBER, 0, 0, 10, 10, 0x90000000, "Any");
    ASSERT_NE(0, any);
    HWND any_window = window_handle(any);
    ASSERT_TRUE(IsWindow(any_window));
    EXPECT_NE(reinterpret_cast<ObjectNumber>(any_window), any) << "ANY_NUMBER gives the number, not the handle";
    const std::string any_class = "WindowClass_" + std::to_string(static_cast<long long>(any));
    EXPECT_EQ(any_class, class_of(any_window));
    EXPECT_EQ(any_window, last_window_handle());

    PostMessageA(any_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(EventCloseWindow, wait_event());
    EXPECT_EQ(any, event_window());

    HWND one = reinterpret_cast<HWND>(open_window(1, 0, 0, 10, 10, 0x90000000, "One"));
    close_all_windows();
    for (HWND w : {ten, any_window, one}) EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(nullptr, window_table.any_list);
    EXPECT_FALSE(class_exists(any_class.c_str()));
    EXPECT_FALSE(class_exists("WindowClass_10"));
    EXPECT_EQ(HWND(0), window_handle(any));
}

TEST_F(Windows, FailedCreationLeavesTheNumberFree) {
    // A parentless child window cannot be created.
    EXPECT_EQ(0, open_window(4, 0, 0, 10, 10, WS_CHILD, "Child"));
    EXPECT_EQ(HWND(0), window_handle(4));
    EXPECT_EQ(0, open_window(ANY_NUMBER, 0, 0, 10, 10, WS_CHILD, "Child"));
    EXPECT_EQ(nullptr, window_table.any_list);
    EXPECT_EQ(0, open_window(-5, 0, 0, 10, 10, 0x90000000, "Negative"));
}

// An event stored outside a poll waits in the pending slot for the next message; that poll
// returns the event and holds the message's own number back for the poll after.
TEST_F(Windows, AnEventLeftPendingGoesFirstAndHoldsTheNextMessageBackOnePoll) {
    HWND label = reinterpret_cast<HWND>(open_window(3, 0, 0, 50, 20, 0x90000000, "Norvane"));
    // The platform sends WM_SIZE, then WM_MOVE while creating: the last one is pending.
    EXPECT_EQ(EventMoveWindow, event_state.pending_event);
    SequenceRecorder recorder({{label, "label"}}, {WM_SIZE, WM_USER + 7});
    recorder.poll();
    PostMessageA(label, WM_USER + 7, 0, 0);
    for (int i = 0; i < 3; ++i) recorder.poll();
    SetWindowPos(label, 0, 0, 0, 70, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(label, WM_USER + 7, 0, 0);
    for (int i = 0; i < 2; ++i) recorder.poll();
    PostMessageA(label, WM_SIZE, 0, 0);
    for (int i = 0; i < 2; ++i) recorder.poll();
    // An empty queue leaves the pending event alone; a resize sends WM_SIZE outside a poll; an
    // event stored while handling the message itself takes the message's place.
    const SequenceStep held_back[] = {
        {"poll", 0}, {"label", WM_USER + 7}, {"poll", EventMoveWindow, kWparam, 3}, {"poll", WM_USER + 7}, {"poll", 0},
        {"label", WM_SIZE}, {"label", WM_USER + 7}, {"poll", EventSizeWindow, kWparam, 3}, {"poll", WM_USER + 7},
        {"label", WM_SIZE}, {"poll", EventSizeWindow, kWparam, 3}, {"poll", 0},
    };
    expect_sequence(recorder, held_back);
}

// Closing an owned window activates its owner first: left to the platform, the activation
// would pass to whichever window stands next below it.
TEST_F(Windows, ClosingAnOwnedWindowActivatesItsOwnerBeforeItGoes) {
    HWND owner = reinterpret_cast<HWND>(open_window(1, 0, 0, 100, 60, 0, "Owner"));
    HWND other = reinterpret_cast<HWND>(open_window(4, 150, 0, 100, 60, 0, "Other"));
    HWND dialog = reinterpret_cast<HWND>(open_window(2, 300, 0, 100, 60, 0, "Dialog"));
    SetWindowLongPtrA(dialog, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    ASSERT_EQ(owner, GetWindow(dialog, GW_OWNER));
    SetActiveWindow(dialog);
    settle_events();
    SequenceRecorder recorder({{owner, "owner"}, {other, "other"}, {dialog, "dialog"}}, {WM_ACTIVATE, WM_DESTROY});
    close_window(2);
    const SequenceStep closing[] = {
        {"dialog", WM_ACTIVATE, kWparam, WA_INACTIVE},
        {"owner", WM_ACTIVATE, kWparam, WA_ACTIVE},
        {"dialog", WM_DESTROY},
    };
    expect_sequence(recorder, closing);
}

TEST_F(Windows, CloseRequestsAreEventsAndTheWindowStaysOpen) {
    HWND dialog = reinterpret_cast<HWND>(open_window(2, 0, 0, 100, 100, 0x00000001, "About"));
    settle_events();
    EXPECT_EQ(0, SendMessageA(dialog, WM_CLOSE, 0, 0));
    EXPECT_TRUE(IsWindow(dialog));
    settle_events();
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(EventCloseWindow, wait_event());
    EXPECT_EQ(2, event_window());
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(dialog, window_handle(2));
}

TEST_F(Windows, UnhandledMessagesGiveTheirNumberAndParameters) {
    HWND label = reinterpret_cast<HWND>(open_window(3, 0, 0, 50, 20, 0x90000000, "Norvane"));
    settle_events();
    PostMessageA(label, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 5));
    EXPECT_EQ(516, wait_event());
    EXPECT_EQ(WPARAM(MK_RBUTTON), event_state.wparam);
    EXPECT_EQ(MAKELPARAM(4, 5), event_state.lparam);
    EXPECT_EQ(-1, event_state.event_type);
}

namespace {
// Right-clicks at a screen point as a person would; returns the poll results up to and
// including 516 (WM_RBUTTONDOWN), without mouse moves.
std::vector<int> right_click_polls(int x, int y) {
    SetCursorPos(x, y);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, clicks, sizeof(INPUT));
    std::vector<int> polls;
    for (int turn = 0; turn < 2000 && (polls.empty() || polls.back() != WM_RBUTTONDOWN); ++turn) {
        int event = wait_event();
        if (event == 0) Sleep(1);
        if (event != 0 && event != WM_MOUSEMOVE) polls.push_back(event);
    }
    return polls;
}
}  // namespace

TEST_F(Windows, ARealRightClickOnTheLabelComesOutAs516EvenWhenItMovesTheFocus) {
    HWND label = reinterpret_cast<HWND>(open_window(3, 200, 200, 80, 30, 0x90000000, "Norvane"));
    ShowWindow(label, SW_SHOW);
    settle_events();
    EXPECT_EQ(std::vector<int>({WM_RBUTTONDOWN}), right_click_polls(240, 215));
    EXPECT_EQ(3, event_window());

    // A dialog whose text field has the focus: the click activates the label first, the field
    // reports losing the focus, and the click must still come out.
    HWND dialog = reinterpret_cast<HWND>(open_window(1, 400, 300, 200, 100, 0x00000000, "Dialog"));
    HWND field = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 5, 100, 20, dialog,
                                 reinterpret_cast<HMENU>(10), GetModuleHandleA(0), 0);
    SetActiveWindow(dialog);
    SetFocus(field);
    settle_events();
    ASSERT_EQ(field, GetFocus());
    // Elsewhere on the label, or the platform would make it a double click.
    EXPECT_EQ(std::vector<int>({EventGadget, WM_RBUTTONDOWN}), right_click_polls(270, 205));
    EXPECT_EQ(3, event_window());
}

TEST_F(Windows, EventWindowIsMinusOneForWindowsOutsideTheTable) {
    // A window of the template class runs the runtime's procedure without being in the table.
    HWND stranger = CreateWindowExA(0, "TemplateClass", "", WS_POPUP, 0, 0, 10, 10, 0, 0, GetModuleHandleA(0), 0);
    ASSERT_NE(HWND(0), stranger);
    HWND own = reinterpret_cast<HWND>(open_window(0, 0, 0, 10, 10, 0x90000000, "Zero"));
    settle_events();
    PostMessageA(stranger, WM_CLOSE, 0, 0);
    EXPECT_EQ(EventCloseWindow, wait_event());
    EXPECT_EQ(-1, event_window());
    PostMessageA(own, WM_CLOSE, 0, 0);
    EXPECT_EQ(EventCloseWindow, wait_event());
    EXPECT_EQ(0, event_window());
    DestroyWindow(stranger);
    // No window seen yet must not be taken for a free slot.
    close_window(0);
    event_state.event_window_handle = 0;
    EXPECT_EQ(-1, event_window());
}
