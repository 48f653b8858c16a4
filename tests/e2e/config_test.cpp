// The road from a right click to a saved setting: the configuration dialog used with the mouse
// and the keyboard, as a person would.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>

#include "driver.h"

namespace {
struct GadgetRow {
    int number;
    const char* class_name;
    const char* text;
    int x, y, width, height;
};

// Every gadget of the dialog, as the user finds it.
const GadgetRow kGadgets[] = {
    {1, "Button", "", 10, 5, 273, 205},
    {2, "Button", "Computer name", 25, 42, 110, 15},
    {3, "Button", "Domain name", 25, 61, 110, 15},
    {4, "Button", "Users logon ID", 25, 80, 110, 15},
    {5, "Button", "Primary IP address", 25, 99, 110, 15},
    {6, "msctls_trackbar32", "", 160, 117, 91, 20},
    {7, "Static", "Set transparency level:", 165, 102, 113, 15},
    {8, "Static", "Off", 250, 119, 23, 15},
    {9, "Static", "Text (added first on label)", 25, 124, 125, 15},
    {10, "Edit", "", 27, 139, 116, 17},
    {11, "Button", "Start automatically", 165, 149, 106, 15},
    {12, "Static", "Label position:", 165, 23, 85, 15},
    {13, "Button", "", 167, 33, 96, 60},
    {14, "Button", "", 171, 43, 15, 15},
    {15, "Button", "", 171, 74, 15, 15},
    {16, "Button", "", 244, 43, 15, 15},
    {17, "Button", "", 244, 74, 15, 15},
    {18, "Button", "Add To Display", 20, 20, 135, 145},
    {19, "Button", "&Close", 154, 220, 60, 25},
    {20, "Button", "&Apply", 84, 220, 60, 25},
    {21, "Button", "&Font", 20, 175, 40, 20},
    {22, "Static", " Arial, Size: 8", 65, 177, 210, 18},
};

const char kSavedAfterTheRoad[] =
    "TransAmount = 10\r\nAutoStart = 0\r\nLabelPos = 1\r\nShowComputerName = 1\r\n"
    "ShowDomainName = 0\r\nShowUserID = 0\r\nShowIP = 1\r\nAddToDisplay = Desk 4\r\n"
    "FontName = Arial\r\nFontSize = 8\r\n";

LRESULT ask(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

// Conditions that show a click arrived: the gadget has the focus, the box is ticked.
std::function<bool()> focused(HWND dialog, int gadget) {
    return [=] { return focused_window(dialog) == child_by_id(dialog, gadget); };
}
std::function<bool()> checked(HWND dialog, int gadget) {
    return [=] { return ask(child_by_id(dialog, gadget), BM_GETCHECK) == BST_CHECKED; };
}

class Config : public ::testing::Test {
protected:
    void SetUp() override {
        remove_settings();
        set_windows_version("");
    }
    void TearDown() override {
        remove_settings();
        set_windows_version("");
    }
};

TEST_F(Config, TheRoadFromARightClickToASavedSetting) {
    NorvaneProcess norvane;
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);

    // The window: centred, 300 x 255 inside, a caption without a close box.
    RECT client;
    GetClientRect(dialog, &client);
    const RECT outer = rect_of(dialog);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(255, client.bottom);
    // Centred by halving the screen and the window separately, whatever this Wine's frame adds.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - (outer.right - outer.left) / 2, outer.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - (outer.bottom - outer.top) / 2, outer.top);
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_CAPTION), style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);

    // Every gadget where the user finds it, usable, filled from the defaults of a first start.
    for (const GadgetRow& g : kGadgets) {
        HWND gadget = child_by_id(dialog, g.number);
        ASSERT_TRUE(gadget) << "gadget " << g.number;
        EXPECT_EQ(0, _stricmp(g.class_name, class_of(gadget).c_str())) << "gadget " << g.number;
        if (g.number != kGadgetTrackbar) EXPECT_EQ(g.text, window_text(gadget)) << "gadget " << g.number;
        const RECT screen = rect_of(gadget);
        POINT corners[2] = {{screen.left, screen.top}, {screen.right, screen.bottom}};
        MapWindowPoints(0, dialog, corners, 2);
        const RECT r = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        EXPECT_EQ(g.x, r.left) << "gadget " << g.number;
        EXPECT_EQ(g.y, r.top) << "gadget " << g.number;
        EXPECT_EQ(g.width, r.right - r.left) << "gadget " << g.number;
        EXPECT_EQ(g.height, r.bottom - r.top) << "gadget " << g.number;
        EXPECT_TRUE(IsWindowEnabled(gadget)) << "gadget " << g.number;
    }
    HWND trackbar = child_by_id(dialog, kGadgetTrackbar);
    EXPECT_EQ(100, ask(trackbar, TBM_GETPOS));
    EXPECT_EQ(BST_CHECKED, ask(child_by_id(dialog, kGadgetShowComputerName), BM_GETCHECK));
    for (int n : {3, 4, 5, 11, 14, 15, 16})
        EXPECT_EQ(BST_UNCHECKED, ask(child_by_id(dialog, n), BM_GETCHECK)) << "gadget " << n;
    EXPECT_EQ(BST_CHECKED, ask(child_by_id(dialog, kGadgetBottomRight), BM_GETCHECK));

    const RECT label_before = rect_of(norvane.wait_label());
    const std::string text_before = norvane.label_text();

    // The trackbar by keyboard: the value text follows at once, the label does not.
    ASSERT_TRUE(click_until(trackbar, focused(dialog, kGadgetTrackbar)));
    press_key(VK_END);
    EXPECT_TRUE(eventually([&] { return window_text(child_by_id(dialog, kGadgetTransValue)) == "Off"; }));
    press_key(VK_LEFT);
    EXPECT_TRUE(eventually([&] { return window_text(child_by_id(dialog, kGadgetTransValue)) == "99%"; }));
    press_key(VK_HOME);
    EXPECT_TRUE(eventually([&] { return window_text(child_by_id(dialog, kGadgetTransValue)) == "10%"; }));
    EXPECT_FALSE(GetWindowLongA(norvane.wait_label(), GWL_EXSTYLE) & WS_EX_LAYERED);

    // A corner, the address and a custom text: nothing changes yet.
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetTopLeft), checked(dialog, kGadgetTopLeft)));
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetShowIP), checked(dialog, kGadgetShowIP)));
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetCustomText), focused(dialog, kGadgetCustomText)));
    type_text("Desk 4");
    EXPECT_TRUE(eventually([&] { return window_text(child_by_id(dialog, kGadgetCustomText)) == "Desk 4"; }));
    settle(300);  // time for a change that must not come
    const RECT label_now = rect_of(norvane.wait_label());
    EXPECT_EQ(label_before.left, label_now.left);
    EXPECT_EQ(label_before.top, label_now.top);
    EXPECT_EQ(text_before, norvane.label_text());

    // Apply: the label changes, the file does not, the focus rests on the outer frame.
    ASSERT_TRUE(apply_config(dialog));
    EXPECT_TRUE(eventually([&] { return norvane.label_text().compare(0, 8, " Desk 4 ") == 0; }));
    HWND label = norvane.wait_label();
    EXPECT_EQ(0, rect_of(label).left);
    EXPECT_EQ(0, rect_of(label).top);
    BYTE alpha = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(label, 0, &alpha, 0));
    EXPECT_EQ(25, alpha);
    const std::string shown = norvane.label_text();
    EXPECT_EQ(" Desk 4 " + registry_computer_name() + " ", shown.substr(0, 9 + registry_computer_name().size()));
    EXPECT_TRUE(eventually(focused(dialog, kGadgetOuterFrame)));
    std::string bytes;
    EXPECT_FALSE(read_file(settings_path(), &bytes));

    // Close: the ten lines, in order, and the dialog is gone.
    EXPECT_TRUE(close_config_dialog(dialog));
    ASSERT_TRUE(eventually([&] { return read_file(settings_path(), &bytes) && bytes.size() > 100; }));
    EXPECT_EQ(kSavedAfterTheRoad, bytes);
    EXPECT_TRUE(norvane.running());
}

TEST_F(Config, ReopeningKeepsTrackbarCornerButNotCheckboxesAndText) {
    NorvaneProcess norvane;
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetTrackbar), focused(dialog, kGadgetTrackbar)));
    press_key(VK_HOME);
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetBottomLeft), checked(dialog, kGadgetBottomLeft)));
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetShowDomainName), checked(dialog, kGadgetShowDomainName)));
    ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetCustomText), focused(dialog, kGadgetCustomText)));
    type_text("x");
    ASSERT_TRUE(eventually([&] { return window_text(child_by_id(dialog, kGadgetCustomText)) == "x"; }));

    dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(1u, process_windows(norvane.id(), window_class(kConfigWindow).c_str()).size());
    EXPECT_EQ(10, ask(child_by_id(dialog, kGadgetTrackbar), TBM_GETPOS));
    EXPECT_EQ("10%", window_text(child_by_id(dialog, kGadgetTransValue)));
    EXPECT_EQ(BST_CHECKED, ask(child_by_id(dialog, kGadgetBottomLeft), BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, ask(child_by_id(dialog, kGadgetBottomRight), BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, ask(child_by_id(dialog, kGadgetShowDomainName), BM_GETCHECK));
    EXPECT_EQ("", window_text(child_by_id(dialog, kGadgetCustomText)));
}

TEST_F(Config, OpensFilledFromTheSettingsFile) {
    write_file(settings_path(),
               "TransAmount = 5\r\nLabelPos = 3\r\nShowComputerName = 0\r\nShowUserID = 1\r\n"
               "AutoStart = 0\r\nAddToDisplay = Lab\r\nFontName = Courier New\r\nFontSize = 12\r\n");
    NorvaneProcess norvane;
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(10, ask(child_by_id(dialog, kGadgetTrackbar), TBM_GETPOS));  // below the range: at its minimum
    EXPECT_EQ("5%", window_text(child_by_id(dialog, kGadgetTransValue)));
    EXPECT_EQ(BST_CHECKED, ask(child_by_id(dialog, kGadgetBottomLeft), BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, ask(child_by_id(dialog, kGadgetShowComputerName), BM_GETCHECK));
    EXPECT_EQ(BST_CHECKED, ask(child_by_id(dialog, kGadgetShowUserID), BM_GETCHECK));
    EXPECT_EQ("Lab", window_text(child_by_id(dialog, kGadgetCustomText)));
    EXPECT_EQ(" Courier New, Size: 12", window_text(child_by_id(dialog, kGadgetFontText)));
}

TEST_F(Config, WindowsVersionDecidesWhichGadgetsAreGreyed) {
    // The Windows 95 family reads the computer name from its own key.
    ASSERT_TRUE(set_windows95_computer_name("OLDPC"));
    struct Row {
        const char* version;
        std::vector<int> disabled;
    } rows[] = {{"win95", {3, 4, 6, 7, 8}}, {"win98", {3, 4, 6, 7, 8}}, {"nt40", {6, 7, 8}},
                {"win2k", {}},              {"winxp", {}},             {"win2003", {}},
                {"win10", {}}};
    for (const Row& row : rows) {
        set_windows_version(row.version);
        NorvaneProcess norvane;
        HWND dialog = open_config_dialog(norvane);
        ASSERT_TRUE(dialog) << row.version;
        for (int n = 1; n <= 22; ++n) {
            bool expect_disabled = false;
            for (int d : row.disabled) expect_disabled |= d == n;
            EXPECT_EQ(!expect_disabled, IsWindowEnabled(child_by_id(dialog, n)) != 0)
                << row.version << " gadget " << n;
        }
    }
}

// Tab and Shift+Tab through the dialog with real key presses. The option group is one stop:
// the button control keeps the tab stop only on the selected option, as a radio group does
// everywhere on the platform.
TEST_F(Config, TabAndShiftTabWalkTheGadgetsInOrder) {
    struct Row {
        const char* version;
        std::vector<int> order;
    } rows[] = {
        {"", {2, 3, 4, 5, 6, 10, 11, 17, 19, 20, 21}},
        {"win98", {2, 5, 10, 11, 17, 19, 20, 21}},  // greyed gadgets are skipped
    };
    ASSERT_TRUE(set_windows95_computer_name("OLDPC"));
    for (const Row& row : rows) {
        set_windows_version(row.version);
        const int count = static_cast<int>(row.order.size());
        NorvaneProcess norvane;
        HWND dialog = open_config_dialog(norvane);
        ASSERT_TRUE(dialog);
        // The text field takes the focus and changes nothing.
        ASSERT_TRUE(click_until(child_by_id(dialog, kGadgetCustomText), focused(dialog, kGadgetCustomText)));
        int at = 0;
        while (row.order[at] != 10) ++at;
        for (int step = 0; step < count + 1; ++step) {
            press_key(VK_TAB);
            at = (at + 1) % count;
            ASSERT_TRUE(eventually([&] { return focused_window(dialog) == child_by_id(dialog, row.order[at]); }, 2000))
                << row.version << " Tab to " << row.order[at] << ", focus on " << GetDlgCtrlID(focused_window(dialog));
        }
        for (int step = 0; step < count + 1; ++step) {
            press_key(VK_TAB, true);
            at = (at + count - 1) % count;
            ASSERT_TRUE(eventually([&] { return focused_window(dialog) == child_by_id(dialog, row.order[at]); }, 2000))
                << row.version << " Shift+Tab to " << row.order[at] << ", focus on "
                << GetDlgCtrlID(focused_window(dialog));
        }
    }
}
}  // namespace
