// The label as a person sees it: where it sits, what it says, how large and how see-through it
// is, and how it ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "driver.h"

namespace {
class Label : public ::testing::Test {
protected:
    void SetUp() override {
        remove_settings();
        set_windows_version("");
    }
    void TearDown() override { remove_settings(); }
};

TEST_F(Label, FirstStartShowsTheComputerNameFlushInTheBottomRightCorner) {
    NorvaneProcess norvane;
    ASSERT_TRUE(norvane.started());
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);

    EXPECT_EQ(1u, process_windows(norvane.id(), window_class(kLabelWindow).c_str()).size());
    EXPECT_EQ("Norvane", window_text(label));
    EXPECT_TRUE(IsWindowVisible(label));
    const LONG ex_style = GetWindowLongA(label, GWL_EXSTYLE);
    EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, ex_style) << std::hex << ex_style;
    const LONG style = GetWindowLongA(label, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));

    const std::string expected = " " + registry_computer_name() + " ";
    HWND text = child_by_id(label, kLabelGadget);
    EXPECT_EQ("Static", class_of(text));
    EXPECT_EQ(expected, window_text(text));

    const TextSize size = measure_text("Arial", 8, expected.c_str());
    const RECT r = rect_of(label);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_EQ(work_area().bottom, r.bottom);
    EXPECT_EQ(size.width, r.right - r.left);
    EXPECT_EQ(size.height, r.bottom - r.top);
    RECT client;
    GetClientRect(text, &client);
    EXPECT_EQ(size.width, client.right);
    EXPECT_EQ(size.height, client.bottom);

    std::string ignored;
    EXPECT_FALSE(read_file(settings_path(), &ignored)) << "starting must not write settings";
}

TEST_F(Label, EachCornerFromTheSettingsFile) {
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    const int bottom = work_area().bottom;
    for (int corner : {1, 2, 3, 4, 0, 5}) {
        write_file(settings_path(), "LabelPos = " + std::to_string(corner) + "\r\n");
        NorvaneProcess norvane;
        HWND label = norvane.wait_label();
        ASSERT_TRUE(label) << "corner " << corner;
        const RECT r = rect_of(label);
        const int width = r.right - r.left, height = r.bottom - r.top;
        int x = screen_width, y = screen_height;
        if (corner == 1 || corner == 3) x = 0;
        if (corner == 2 || corner == 4) x = screen_width - width;
        if (corner == 1 || corner == 2) y = 0;
        if (corner == 3 || corner == 4) y = bottom - height;
        EXPECT_EQ(x, r.left) << "corner " << corner;
        EXPECT_EQ(y, r.top) << "corner " << corner;
        EXPECT_TRUE(GetWindowLongA(label, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
}

TEST_F(Label, TransparencyFromTheSettingsFile) {
    struct Row {
        int amount;
        bool layered;
        int alpha;
    } rows[] = {{50, true, 127}, {99, true, 252}, {0, true, 0}, {100, false, 0}, {-5, false, 0}};
    for (const Row& row : rows) {
        write_file(settings_path(), "TransAmount = " + std::to_string(row.amount) + "\r\n");
        NorvaneProcess norvane;
        HWND label = norvane.wait_label();
        ASSERT_TRUE(label) << "amount " << row.amount;
        const bool layered = (GetWindowLongA(label, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(row.layered, layered) << "amount " << row.amount;
        if (row.layered) {
            BYTE alpha = 0;
            DWORD flags = 0;
            ASSERT_TRUE(GetLayeredWindowAttributes(label, 0, &alpha, &flags));
            EXPECT_EQ(row.alpha, alpha) << "amount " << row.amount;
            EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
        }
        EXPECT_TRUE(norvane.running());
    }
}

TEST_F(Label, ShowsTheChosenItemsByteForByte) {
    const std::string computer = registry_computer_name();
    struct Row {
        const char* settings;
        std::string expected;
    } rows[] = {
        {"ShowDomainName = 1\r\nShowUserID = 1\r\nAddToDisplay = Lab\r\n",
         " Lab " + computer + " <CORP\\jsmith> "},
        {"ShowComputerName = 0\r\nShowDomainName = 1\r\n", "  <CORP> "},
        {"ShowComputerName = 0\r\nShowUserID = 1\r\n", "  <jsmith> "},
        {"ShowComputerName = 0\r\nAddToDisplay = Desk 4\r\n", " Desk 4  "},
        {"ShowComputerName = 0\r\n", "Please select display options..."},
        {"ShowComputerName = 2\r\nShowUserID = 1\r\n", "  <jsmith> "},
    };
    for (const Row& row : rows) {
        write_file(settings_path(), row.settings);
        NorvaneProcess norvane({{"USERDOMAIN", "CORP"}, {"USERNAME", "jsmith"}});
        HWND label = norvane.wait_label();
        ASSERT_TRUE(label) << row.settings;
        EXPECT_EQ(row.expected, window_text(child_by_id(label, kLabelGadget))) << row.settings;
        const TextSize size = measure_text("Arial", 8, row.expected.c_str());
        RECT r = rect_of(label);
        EXPECT_EQ(size.width, r.right - r.left) << row.settings;
    }
}

TEST_F(Label, ShowsTheAddressOfThisMachine) {
    write_file(settings_path(), "ShowComputerName = 0\r\nShowIP = 1\r\n");
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    const std::string text = window_text(child_by_id(label, kLabelGadget));
    // "  a.b.c.d ": the group's space, then four decimal numbers.
    ASSERT_GE(text.size(), 10u);
    EXPECT_EQ("  ", text.substr(0, 2));
    EXPECT_EQ(' ', text.back());
    int dots = 0;
    for (char c : text.substr(2, text.size() - 3)) {
        if (c == '.') ++dots;
        else EXPECT_TRUE(c >= '0' && c <= '9') << text;
    }
    EXPECT_EQ(3, dots) << text;
}

// A Windows 95 without networking has no WSOCK32.DLL: the program starts all the same, and the
// address is left out as after a failed network start. Wine is told to refuse the library to
// Norvane.exe alone.
TEST_F(Label, StartsWithoutTheSocketsLibraryAndShowsNoAddress) {
    const char overrides[] = "Software\\Wine\\AppDefaults\\Norvane.exe\\DllOverrides";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, overrides, 0, 0, 0, KEY_WRITE, 0, &key, 0));
    RegSetValueExA(key, "wsock32", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
    write_file(settings_path(), "ShowIP = 1\r\n");
    {
        NorvaneProcess norvane;
        HWND label = norvane.wait_label();
        EXPECT_TRUE(label);
        if (label) EXPECT_EQ(" " + registry_computer_name() + "  ", window_text(child_by_id(label, kLabelGadget)));
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides);
}

TEST_F(Label, FontNameAndSizeSetTheMeasuredSize) {
    write_file(settings_path(), "FontName = Times New Roman\r\nFontSize = 20\r\n");
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    const std::string expected = " " + registry_computer_name() + " ";
    const TextSize size = measure_text("Times New Roman", 20, expected.c_str());
    const TextSize small = measure_text("Arial", 8, expected.c_str());
    RECT r = rect_of(label);
    EXPECT_EQ(size.width, r.right - r.left);
    EXPECT_EQ(size.height, r.bottom - r.top);
    EXPECT_GT(size.height, small.height);
}

TEST_F(Label, ExitFromTheMenuEndsWithCodeZeroAndSavesNothing) {
    NorvaneProcess norvane;
    ASSERT_TRUE(norvane.wait_label());
    ASSERT_TRUE(norvane.choose_menu_item(kMenuExit));
    DWORD code = 1;
    ASSERT_TRUE(norvane.wait_exit(10000, &code));
    EXPECT_EQ(0u, code);
    std::string ignored;
    EXPECT_FALSE(read_file(settings_path(), &ignored));
}

TEST_F(Label, ACloseRequestForTheLabelEndsTheProgram) {
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    PostMessageA(label, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(norvane.wait_exit(10000, &code));
    EXPECT_EQ(0u, code);
}

// Starting the program again, as Windows 7 and as XP: from the same file, from a copy under
// another name in another folder (a download, the other Startup folder's copy). The second
// start leaves at once with code 0 and no label of its own, and the running program renders
// its label anew, so that starting it again brings back a label the user cannot see.
class SecondStart : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        remove_settings();
        set_windows_version(GetParam());
    }
    void TearDown() override {
        set_windows_version("");
        remove_settings();
    }
};

std::vector<HWND> visible_labels() {
    std::vector<HWND> labels;
    for (HWND w : process_windows(0, window_class(kLabelWindow).c_str()))
        if (IsWindowVisible(w)) labels.push_back(w);
    return labels;
}

TEST_P(SecondStart, AddsNoLabelAndBringsTheRunningOneBack) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string renamed = std::string(temp) + "norvane second\\Label tool.exe";
    CreateDirectoryA((std::string(temp) + "norvane second").c_str(), 0);
    ASSERT_TRUE(CopyFileA(executable_path().c_str(), renamed.c_str(), FALSE));
    NorvaneProcess first;
    HWND label = first.wait_label();
    ASSERT_TRUE(label);
    for (const std::string& program : {executable_path(), renamed}) {
        SCOPED_TRACE(program);
        NorvaneProcess second(program.c_str(), Environment());
        DWORD code = 99;
        EXPECT_TRUE(second.wait_exit(10000, &code));
        EXPECT_EQ(0u, code);
        // The label is re-created where it stood: a new window, the same text and place.
        HWND again = first.wait_label();
        EXPECT_TRUE(eventually([&] { return (again = first.wait_label()) != label; })) << "not rendered anew";
        EXPECT_EQ(std::vector<HWND>{again}, visible_labels());
        const RECT before = rect_of(label), after = rect_of(again);
        EXPECT_TRUE(EqualRect(&before, &after) || !IsWindow(label));
        EXPECT_EQ(" " + registry_computer_name() + " ", first.label_text());
        label = again;
    }
    EXPECT_TRUE(first.running());
    DeleteFileA(renamed.c_str());
    RemoveDirectoryA((std::string(temp) + "norvane second").c_str());
}

INSTANTIATE_TEST_SUITE_P(Windows, SecondStart, ::testing::Values("win7", "winxp"));

// The address follows the machine's. This case runs only in a network of its own (see
// network_change.sh), which holds the loopback device alone at first; the machine then gets a
// documentation address on a pair of virtual devices that are each other's wire, and later
// another address in its place. Nothing is sent anywhere. The label must show what a lookup of
// the host name from another program gives, within 10 s of that lookup giving it.
bool run_ip(const std::string& arguments) { return start_host_program("/sbin/ip", "/sbin/ip " + arguments); }

std::string label_of_address(const std::string& address) { return "  " + address + " "; }

TEST(NetworkChange, TheLabelFollowsTheFirstAddressOfTheHostName) {
    if (!getenv("NORVANE_OWN_NETWORK")) GTEST_SKIP() << "runs in a network of its own, from network_change.sh";
    remove_settings();
    write_file(settings_path(), "ShowComputerName = 0\r\nShowIP = 1\r\n");
    NorvaneProcess norvane;
    ASSERT_TRUE(norvane.wait_label());
    EXPECT_EQ(label_of_address(first_host_address()), norvane.label_text()) << "with the loopback device alone";
    // What the label reads now, without waiting for it to stand still.
    auto shown = [&] {
        for (HWND w : process_windows(norvane.id(), window_class(kLabelWindow).c_str()))
            if (IsWindowVisible(w) && child_by_id(w, kLabelGadget)) return window_text(child_by_id(w, kLabelGadget));
        return std::string("<no label>");
    };
    struct Step {
        const char* ip_arguments;
        const char* address;  // the machine's first address once this step is done, if it is one
    } steps[] = {
        {"link add nv0 type veth peer name nv1", 0},
        {"addr add 198.51.100.7/24 dev nv0", 0},
        {"link set nv1 up", 0},
        {"link set nv0 up", "198.51.100.7"},
        {"addr del 198.51.100.7/24 dev nv0", 0},
        {"addr add 198.51.100.23/24 dev nv0", "198.51.100.23"},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(run_ip(step.ip_arguments)) << step.ip_arguments;
        if (!step.address) continue;
        // How soon the system's own lookup sees the change is Wine's affair (its device process
        // learns addresses in its own time, slower on a busy machine): the program is timed from
        // then on.
        ASSERT_TRUE(eventually([&] { return first_host_address() == step.address; }, 30000))
            << "this system's lookup never gave " << step.address << ", it gives " << first_host_address();
        const DWORD changed = GetTickCount();
        EXPECT_TRUE(eventually([&] { return shown() == label_of_address(step.address); }, 10000))
            << step.address << " not shown; the label reads \"" << shown() << "\"";
        printf("address %s shown %lu ms after the lookup gave it\n", step.address, GetTickCount() - changed);
    }
    EXPECT_TRUE(norvane.running());
    remove_settings();
}
}  // namespace
