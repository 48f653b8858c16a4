// The font requester's prepared records and the disabling of the thread's other windows. The
// real requester is driven through the configuration dialog's "&Font" button (dialogs_test).
#include <gtest/gtest.h>

#include <string>

#include "dialogs/font_selection.h"
#include "win32_support.h"

namespace {
LRESULT CALLBACK plain_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND make_window(bool visible) {
    static ATOM registered = 0;
    if (!registered) {
        WNDCLASSA c = {};
        c.lpfnWndProc = plain_procedure;
        c.hInstance = GetModuleHandleA(0);
        c.lpszClassName = "FontSelectionTestWindow";
        registered = RegisterClassA(&c);
    }
    return CreateWindowExA(0, "FontSelectionTestWindow", "", WS_OVERLAPPED | (visible ? WS_VISIBLE : 0),
                           10, 10, 120, 80, 0, 0, GetModuleHandleA(0), 0);
}
}  // namespace

TEST(FontRequest, PreparedRecordsCarryOnlyTheNameTheHeightTheFlagsAndTheColour) {
    const int dpi = display_pixels_per_inch();
    const std::string long_name(40, 'x');
    struct Row {
        const char* name; int size; unsigned long flags; long colour;
        std::string face; LONG height; DWORD expected_flags; COLORREF rgb;
    } rows[] = {
        {"Arial", 8, 0, -1, "Arial", dpi == 96 ? -11 : -MulDiv(8, dpi, 72), 0x43, 0},
        {"Tahoma", 0, 0, -1, "Tahoma", 0, 0x43, 0},  // no size: the requester's default
        {long_name.c_str(), 12, 0, -1, std::string(31, 'x'), -MulDiv(12, dpi, 72), 0x43, 0},
        {nullptr, 9, CF_EFFECTS, 0x123456, "", -MulDiv(9, dpi, 72), 0x43 | CF_EFFECTS, 0x123456},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.face + " " + std::to_string(r.size));
        prepare_font_request(r.name, r.size, r.flags, r.colour);
        const CHOOSEFONTA* cf = font_request();
        ASSERT_TRUE(cf->lpLogFont);
        LOGFONTA expected = {};
        expected.lfHeight = r.height;
        lstrcpynA(expected.lfFaceName, r.face.c_str(), LF_FACESIZE);
        EXPECT_EQ(r.face, cf->lpLogFont->lfFaceName);
        EXPECT_EQ(r.height, cf->lpLogFont->lfHeight);
        EXPECT_EQ(0, memcmp(&expected, cf->lpLogFont, sizeof expected)) << "every other field is zero";
        EXPECT_EQ(sizeof(CHOOSEFONTA), cf->lStructSize);
        EXPECT_EQ(r.expected_flags, cf->Flags);
        EXPECT_EQ(r.rgb, cf->rgbColors);
        EXPECT_EQ(nullptr, cf->hDC);
        EXPECT_EQ(0, cf->iPointSize);
    }
    // The requester's lists offer whole points; a fractional size is cut, not rounded.
    const_cast<CHOOSEFONTA*>(font_request())->iPointSize = 105;
    EXPECT_EQ(10, selected_font_size());
}

// A thread of its own with one window, kept until the thread is told to quit.
DWORD WINAPI run_foreign_window(void* out) {
    *static_cast<HWND*>(out) = make_window(true);
    MSG m;
    while (GetMessageA(&m, 0, 0, 0) > 0) DispatchMessageA(&m);
    return 0;
}

TEST(ThreadWindows, OnlyVisibleEnabledNonForegroundWindowsOfThisThreadAreDisabledAndLaterEnabled) {
    HWND front = make_window(true), other = make_window(true), hidden = make_window(false), disabled = make_window(true);
    EnableWindow(disabled, FALSE);
    HWND foreign = 0;  // a window of another thread
    HANDLE thread = CreateThread(0, 0, run_foreign_window, &foreign, 0, 0);
    for (int i = 0; i < 400 && !foreign; i++) Sleep(5);
    ASSERT_TRUE(foreign);
    // The other thread's window activates itself asynchronously: insist until front stays.
    for (int i = 0; i < 100 && GetForegroundWindow() != front; i++) {
        SetForegroundWindow(front);
        pump_messages();
        Sleep(20);
    }
    ASSERT_EQ(front, GetForegroundWindow());
    prepare_font_request("Arial", 8, 0, -1);
    EXPECT_EQ(front, font_request()->hwndOwner) << "the foreground window of this process owns the requester";

    disable_thread_windows();
    EXPECT_TRUE(IsWindowEnabled(front));
    EXPECT_FALSE(IsWindowEnabled(other));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_TRUE(IsWindowEnabled(foreign));

    enable_thread_windows();
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_FALSE(IsWindowEnabled(disabled)) << "a window disabled beforehand stays disabled";
    // The list is empty again: a second enabling touches nothing.
    EnableWindow(other, FALSE);
    enable_thread_windows();
    EXPECT_FALSE(IsWindowEnabled(other));

    PostThreadMessageA(GetThreadId(thread), WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    for (HWND w : {front, other, hidden, disabled}) DestroyWindow(w);
    pump_messages();
}
