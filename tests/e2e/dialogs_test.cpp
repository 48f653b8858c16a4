// The About dialog, the font requester behind "&Font", and "Start automatically", used from the
// label's menu as a person would.
#include <gtest/gtest.h>

#include <windows.h>

#include "driver.h"

namespace {
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        remove_settings();
        set_windows_version("");
    }
    void TearDown() override { remove_settings(); }

    // The all-users Startup folder's copy, where the prefix records that folder.
    static std::string startup_copy() { return recorded_startup_folder(true) + "\\Norvane.exe"; }
};

TEST_F(Dialogs, AboutShowsTheLogoTheTextAndTheLinkAndCloses) {
    NorvaneProcess norvane;
    ASSERT_TRUE(norvane.wait_label());
    ASSERT_TRUE(norvane.choose_menu_item(kMenuAbout));
    HWND about = norvane.wait_window(window_class(kAboutWindow).c_str(), "About v1.0");
    ASSERT_TRUE(about);
    ASSERT_TRUE(eventually([&] { return !window_text(child_by_id(about, kGadgetAboutText)).empty(); }));
    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(218, client.right);
    EXPECT_EQ(233, client.bottom);
    EXPECT_FALSE(GetWindowLongA(about, GWL_STYLE) & WS_SYSMENU);

    // The logo decoded from the program's own data, the description, the link and Close.
    HWND logo = child_by_id(about, kGadgetLogo);
    RECT r;
    GetClientRect(logo, &r);
    EXPECT_EQ(157, r.right);  // inside its sunken edge
    EXPECT_EQ(75, r.bottom);
    EXPECT_TRUE(GetWindowLongA(logo, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // The logo's pixels are on the screen: the pale band in its corner, the top row of the
    // monitor's screen in its brightest blue (an image that failed to decode shows neither).
    const struct { int x, y; COLORREF colour; } drawn[] = {{0, 0, RGB(251, 252, 252)}, {20, 17, RGB(56, 170, 255)}};
    for (const auto& d : drawn) {
        POINT at = {d.x, d.y};
        ClientToScreen(logo, &at);
        COLORREF seen = CLR_INVALID;
        EXPECT_TRUE(eventually([&] {
            HDC screen = GetDC(0);
            seen = GetPixel(screen, at.x, at.y);
            ReleaseDC(0, screen);
            return seen == d.colour;
        })) << d.x << "," << d.y << ": " << std::hex << seen;
    }
    EXPECT_EQ(0u, window_text(child_by_id(about, kGadgetAboutText)).find("Helps to quickly identify the current\n"));
    EXPECT_EQ("Norvane website", window_text(child_by_id(about, kGadgetLink)));
    EXPECT_EQ("Close", window_text(child_by_id(about, kGadgetAboutClose)));

    // Choosing About again rebuilds it; Close ends it and the label stays.
    ASSERT_TRUE(norvane.choose_menu_item(kMenuAbout));
    ASSERT_TRUE(eventually([&] { return !IsWindow(about); }));
    about = norvane.wait_window(window_class(kAboutWindow).c_str(), "About v1.0");
    ASSERT_TRUE(about);
    click_window(child_by_id(about, kGadgetAboutClose));
    EXPECT_TRUE(eventually([&] { return !IsWindow(about); }, 10000));
    EXPECT_TRUE(norvane.running());
    EXPECT_TRUE(norvane.wait_label());
}

TEST_F(Dialogs, TheFontRequesterDisablesTheDialogAndCancelChangesNothing) {
    NorvaneProcess norvane;
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    click_window(child_by_id(dialog, kGadgetFont));
    HWND requester = norvane.wait_window("#32770", 0);
    ASSERT_TRUE(requester);
    EXPECT_FALSE(IsWindowEnabled(dialog));
    PostMessageA(requester, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(eventually([&] { return !IsWindow(requester); }, 10000));
    EXPECT_TRUE(eventually([&] { return IsWindowEnabled(dialog) != 0; }));
    EXPECT_EQ(" Arial, Size: 8", window_text(child_by_id(dialog, kGadgetFontText)));
}

TEST_F(Dialogs, StartAutomaticallyCopiesTheProgramAndUntickingRemovesIt) {
    const std::string copy = startup_copy();
    DeleteFileA(copy.c_str());
    NorvaneProcess norvane;
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    HWND box = child_by_id(dialog, kGadgetAutoStart);
    ASSERT_TRUE(click_until(box, [&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ASSERT_TRUE(apply_config(dialog));
    // The copy shows before its last byte is written: it counts once it is the program itself.
    std::string original, copied;
    ASSERT_TRUE(read_file(executable_path(), &original));
    EXPECT_TRUE(eventually([&] { return read_file(copy, &copied) && copied == original; }, 10000)) << copy;

    ASSERT_TRUE(click_until(box, [&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    EXPECT_TRUE(close_config_dialog(dialog));
    EXPECT_TRUE(eventually([&] { return GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000));
    std::string saved;
    ASSERT_TRUE(eventually([&] { return read_file(settings_path(), &saved) && !saved.empty(); }));
    EXPECT_NE(std::string::npos, saved.find("AutoStart = 0\r\n"));
}
}  // namespace
