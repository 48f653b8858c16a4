// The label on a desktop that someone else is using: it leaves the keyboard with the user's own
// window when it is shown afresh, and it follows the screen when the screen changes its size.
#include <gtest/gtest.h>

#include <windows.h>

#include "driver.h"

namespace {
// Waits as `eventually` does, handling this thread's messages meanwhile: the window that stands
// for the user's application must answer what the system sends it when the activation moves.
template <typename Condition>
bool pumping_until(Condition condition, int timeout_ms = 10000) {
    return eventually([&] {
        MSG message;
        while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        return condition();
    }, timeout_ms);
}

// A label window of the process other than `old`, standing with its right and bottom edges here.
HWND new_label_at(NorvaneProcess& norvane, HWND old, LONG right, LONG bottom) {
    HWND label = 0;
    const bool came = pumping_until([&] {
        label = norvane.wait_label(100);
        return label && label != old && rect_of(label).right == right && rect_of(label).bottom == bottom;
    });
    return came ? label : 0;
}

TEST(LiveDesktop, ARenderingLeavesTheUsersWindowInTheForegroundAndTheMenuStillBringsNorvaneForward) {
    remove_settings();
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    HWND user = CreateWindowExA(0, "STATIC", "The user's application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                400, 300, 0, 0, GetModuleHandleA(0), 0);
    ASSERT_TRUE(user);
    SetForegroundWindow(user);
    ASSERT_TRUE(pumping_until([&] { return GetForegroundWindow() == user; }));

    // The task bar's edge moves: the label is made afresh, and the user's window keeps the keys.
    RECT raised = work_area();
    raised.bottom -= 30;
    ASSERT_TRUE(set_remote_work_area(norvane.id(), raised));
    HWND moved = new_label_at(norvane, label, rect_of(label).right, raised.bottom);
    ASSERT_TRUE(moved) << "the label was not shown afresh on the new edge";
    pumping_until([] { return false; }, 300);  // time for an activation that must not come
    HWND foreground = GetForegroundWindow();
    EXPECT_EQ(user, foreground) << "the foreground went to " << class_of(foreground) << " '"
                                << window_text(foreground) << "'";
    EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, GetWindowLongA(moved, GWL_EXSTYLE));

    // What the user asks for still comes forward: the menu, then the dialog it opens.
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(pumping_until([&] { return GetForegroundWindow() == dialog; }))
        << "the foreground is " << class_of(GetForegroundWindow());
    DestroyWindow(user);
}

TEST(LiveDesktop, TheLabelFollowsTheScreensWidthAndHeight) {
    remove_settings();
    NorvaneProcess norvane(Environment(), true);
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const LONG bottom = rect_of(label).bottom;
    ASSERT_EQ(width, rect_of(label).right);
    // The work area's right and bottom edges move with the screen's, as Windows moves them; a
    // change of the width alone must place the label afresh too. 0 x 0 is the real screen.
    const struct {
        int width, height;
        LONG right, bottom;
    } rows[] = {
        {width - 224, height, width - 224, bottom},
        {width + 256, height, width + 256, bottom},
        {width + 256, height - 100, width + 256, bottom - 100},
        {0, 0, width, bottom},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "screen " << row.width << " x " << row.height);
        ASSERT_TRUE(set_remote_screen_size(norvane.id(), row.width, row.height));
        HWND placed = new_label_at(norvane, label, row.right, row.bottom);
        const RECT seen = rect_of(norvane.wait_label(100));
        ASSERT_TRUE(placed) << "the label stands at right " << seen.right << ", bottom " << seen.bottom;
        label = placed;
    }
}
}  // namespace
