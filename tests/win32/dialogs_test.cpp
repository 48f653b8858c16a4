// The configuration and About dialogs with real windows and controls, and the main loop's
// dispatch of their events.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/program.h"
#include "dialogs/about_dialog.h"
#include "dialogs/config_dialog.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"
#include "win32_support.h"

namespace {
// A face the test prefix's font list really holds ("Arial" is only a substitute there).
const char kListedFace[] = "Liberation Sans";

HWND gadget(int number) { return gadget_handle(number); }

RECT client_rect_in(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(0, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The box a text takes in a control's own font: one line, or lines broken at the given width.
RECT text_box(HWND control, const char* text, int wrap_width) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, wrap_width, 0};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_CENTER | (wrap_width ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r;
}

int checked(int number) { return static_cast<int>(SendMessageA(gadget(number), BM_GETCHECK, 0, 0)); }
int trackbar_position() { return static_cast<int>(SendMessageA(gadget(kGadgetTrackbar), TBM_GETPOS, 0, 0)); }

void dispatch_menu(int item) {
    event_state.event_object = item;
    dispatch_event(EventMenu);
    pump_messages();
}

void dispatch_gadget(int number) {
    event_state.event_object = number;
    dispatch_event(EventGadget);
    pump_messages();
}

struct GadgetExpectation {
    int number;
    const char* window_class;
    const char* text;
    int x, y, width, height;
    LONG kind_bits;   // style bits of the kind (BS_*, SS_*, ES_*), compared under kind_mask
    LONG kind_mask;
    bool group;       // WS_GROUP set
    DWORD ex_style;   // WS_EX_CLIENTEDGE or 0
};

void expect_gadget(HWND window, const GadgetExpectation& e) {
    SCOPED_TRACE("gadget " + std::to_string(e.number));
    HWND control = GetDlgItem(window, e.number);
    ASSERT_TRUE(control);
    EXPECT_EQ(control, gadget(e.number));
    EXPECT_EQ(e.window_class, class_of(control));
    if (e.text) EXPECT_EQ(e.text, text_of(control));
    RECT r = client_rect_in(window, control);
    EXPECT_EQ(e.x, r.left);
    EXPECT_EQ(e.y, r.top);
    EXPECT_EQ(e.width, r.right - r.left);
    EXPECT_EQ(e.height, r.bottom - r.top);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(e.kind_bits, style & e.kind_mask);
    EXPECT_EQ(e.group, (style & WS_GROUP) != 0);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(e.ex_style, static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE);
}

// Both dialogs: a caption with no close box, the client size asked for, centred on the screen.
void expect_dialog_window(HWND window, const char* title, int width, int height) {
    ASSERT_TRUE(window);
    EXPECT_EQ(title, text_of(window));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, client.bottom);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_EQ(0, style & (WS_SYSMENU | WS_THICKFRAME));
    EXPECT_TRUE(IsWindowVisible(window));
    RECT outer;
    GetWindowRect(window, &outer);
    const int sx = GetSystemMetrics(SM_CXSCREEN), sy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(sx / 2 - (outer.right - outer.left) / 2, outer.left);
    EXPECT_EQ(sy / 2 - (outer.bottom - outer.top) / 2, outer.top);
}

const LONG kButtonKind = 0xF;
const GadgetExpectation kConfigGadgets[] = {
    {1, "Button", "", 10, 5, 273, 205, BS_GROUPBOX, kButtonKind, true, 0},
    {2, "Button", "Computer name", 25, 42, 110, 15, BS_AUTOCHECKBOX, kButtonKind, true, 0},
    {3, "Button", "Domain name", 25, 61, 110, 15, BS_AUTOCHECKBOX, kButtonKind, true, 0},
    {4, "Button", "Users logon ID", 25, 80, 110, 15, BS_AUTOCHECKBOX, kButtonKind, true, 0},
    {5, "Button", "Primary IP address", 25, 99, 110, 15, BS_AUTOCHECKBOX, kButtonKind, true, 0},
    {6, "msctls_trackbar32", nullptr, 160, 117, 91, 20, 0, TBS_VERT, false, 0},
    {7, "Static", "Set transparency level:", 165, 102, 113, 15, SS_LEFT, SS_TYPEMASK, true, 0},
    {8, "Static", nullptr, 250, 119, 23, 15, SS_LEFT, SS_TYPEMASK, true, 0},
    {9, "Static", "Text (added first on label)", 25, 124, 125, 15, SS_LEFT, SS_TYPEMASK, true, 0},
    {10, "Edit", nullptr, 27, 139, 116, 17, ES_AUTOHSCROLL, ES_AUTOHSCROLL | ES_MULTILINE, true, WS_EX_CLIENTEDGE},
    {11, "Button", "Start automatically", 165, 149, 106, 15, BS_AUTOCHECKBOX, kButtonKind, true, 0},
    {12, "Static", "Label position:", 165, 23, 85, 15, SS_LEFT, SS_TYPEMASK, true, 0},
    {13, "Button", "", 167, 33, 96, 60, BS_GROUPBOX, kButtonKind, true, 0},
    {14, "Button", "", 171, 43, 15, 15, BS_AUTORADIOBUTTON, kButtonKind, true, 0},
    {15, "Button", "", 171, 74, 15, 15, BS_AUTORADIOBUTTON, kButtonKind, false, 0},
    {16, "Button", "", 244, 43, 15, 15, BS_AUTORADIOBUTTON, kButtonKind, false, 0},
    {17, "Button", "", 244, 74, 15, 15, BS_AUTORADIOBUTTON, kButtonKind, false, 0},
    {18, "Button", "Add To Display", 20, 20, 135, 145, BS_GROUPBOX, kButtonKind, true, 0},
    {19, "Button", "&Close", 154, 220, 60, 25, BS_PUSHBUTTON, kButtonKind, true, 0},
    {20, "Button", "&Apply", 84, 220, 60, 25, BS_PUSHBUTTON, kButtonKind, true, 0},
    {21, "Button", "&Font", 20, 175, 40, 20, BS_PUSHBUTTON, kButtonKind, true, 0},
    {22, "Static", nullptr, 65, 177, 210, 18, SS_LEFT, SS_TYPEMASK, true, WS_EX_CLIENTEDGE},
};

// Closes the font requester from a timer once it is up, as a user would.
struct RequesterScript {
    const char* size;  // picked in the size list, or null
    int button;
    HWND watched;
    bool seen = false;
    BOOL watched_enabled = TRUE;
};
RequesterScript* script;

BOOL CALLBACK find_requester(HWND w, LPARAM found) {
    if (class_of(w) == "#32770" && IsWindowVisible(w)) *reinterpret_cast<HWND*>(found) = w;
    return TRUE;
}

void CALLBACK drive_requester(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND requester = 0;
    EnumThreadWindows(GetCurrentThreadId(), find_requester, reinterpret_cast<LPARAM>(&requester));
    if (!requester) return;
    KillTimer(0, timer);
    script->seen = true;
    script->watched_enabled = IsWindowEnabled(script->watched);
    if (script->size) {
        const int kSizeList = 0x472;
        HWND list = GetDlgItem(requester, kSizeList);
        SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(script->size));
        SendMessageA(requester, WM_COMMAND, MAKEWPARAM(kSizeList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    PostMessageA(requester, WM_COMMAND, script->button, 0);
}

// What the website link would open, one "owner|operation|file|parameters|directory|show" per call.
std::vector<std::string> shell_calls;
HINSTANCE WINAPI record_shell_call(HWND owner, LPCSTR op, LPCSTR file, LPCSTR params, LPCSTR dir, INT show) {
    shell_calls.push_back(std::to_string(reinterpret_cast<intptr_t>(owner)) + "|" + op + "|" + file + "|" + params +
                          "|" + dir + "|" + std::to_string(show));
    return reinterpret_cast<HINSTANCE>(42);
}

class DialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_program_runtime();
        // A stand-in for the logo with its size: the About dialog shows it.
        create_image(kLogoImage, 157, 75);
        build_about_text();
    }
    void SetUp() override {
        app.quit = 0;
        app.os_code = 60;
        set_settings("55|1|3|1|0|1|0|Desk 4|Tahoma|9");
    }
    void TearDown() override {
        close_window(kConfigWindow);
        close_window(kAboutWindow);
        pump_messages();
    }
};
}  // namespace

TEST_F(DialogsTest, ConfigDialogWindowAndGadgetsInCreationOrder) {
    HWND dialog = open_config_dialog();
    pump_messages();
    ASSERT_EQ(window_handle(kConfigWindow), dialog);
    expect_dialog_window(dialog, "Norvane Configuration", 300, 255);
    for (const GadgetExpectation& e : kConfigGadgets) expect_gadget(dialog, e);
    // Sibling order is creation order, which is also the Tab order.
    std::vector<int> order, tab_stops;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        order.push_back(GetDlgCtrlID(c));
        if (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) tab_stops.push_back(GetDlgCtrlID(c));
    }
    std::vector<int> all(22);
    for (int n = 0; n < 22; n++) all[n] = n + 1;
    EXPECT_EQ(all, order);
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 6, 10, 11, 14, 15, 16, 17, 19, 20, 21}), tab_stops);
    EXPECT_EQ(10, SendMessageA(gadget(kGadgetTrackbar), TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(100, SendMessageA(gadget(kGadgetTrackbar), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ("99%", text_of(gadget(kGadgetTransValue))) << "before filling";
}

TEST_F(DialogsTest, FillingPutsTheSettingsIntoTheGadgets) {
    struct Row { int trans; int pos; int autostart; int trackbar; const char* value_text; int selected; } rows[] = {
        {55, 3, 1, 55, "55%", kGadgetBottomLeft},
        {100, 1, 0, 100, "Off", kGadgetTopLeft},
        {10, 2, 1, 10, "10%", kGadgetTopRight},
        {5, 4, 0, 10, "5%", kGadgetBottomRight},  // below the trackbar's range: the text keeps the number
        {99, 0, 1, 99, "99%", 0},                 // no corner selected
        {70, 7, 0, 70, "70%", 0},
    };
    // One dialog for all rows (closing a window costs seconds under Wine without a window
    // manager); the options are cleared between rows, as a fresh dialog has them.
    open_config_dialog();
    for (const Row& r : rows) {
        SCOPED_TRACE("TransAmount " + std::to_string(r.trans) + " LabelPos " + std::to_string(r.pos));
        app.settings.TransAmount = r.trans, app.settings.AutoStart = r.autostart, app.settings.LabelPos = r.pos;
        for (int option = kGadgetTopLeft; option <= kGadgetBottomRight; option++) SendMessageA(gadget(option), BM_SETCHECK, 0, 0);
        fill_config_dialog();
        pump_messages();
        EXPECT_EQ(r.trackbar, trackbar_position());
        EXPECT_EQ(r.value_text, text_of(gadget(kGadgetTransValue)));
        EXPECT_EQ("Desk 4", text_of(gadget(kGadgetCustomText)));
        EXPECT_EQ(r.autostart, checked(kGadgetAutoStart));
        EXPECT_EQ(1, checked(kGadgetShowComputerName));
        EXPECT_EQ(0, checked(kGadgetShowDomainName));
        EXPECT_EQ(1, checked(kGadgetShowUserID));
        EXPECT_EQ(0, checked(kGadgetShowIP));
        EXPECT_EQ(" Tahoma, Size: 9", text_of(gadget(kGadgetFontText)));
        for (int option : {kGadgetTopLeft, kGadgetTopRight, kGadgetBottomLeft, kGadgetBottomRight}) {
            EXPECT_EQ(option == r.selected ? 1 : 0, checked(option)) << "option " << option;
        }
    }
}

TEST_F(DialogsTest, ControlsUnavailableOnTheRunningWindowsAreDisabled) {
    const std::vector<int> windows95 = {3, 4, 6, 7, 8};
    const std::vector<int> early_nt = {6, 7, 8};
    struct Row { int os_code; const std::vector<int>* disabled; } rows[] = {
        {10, &windows95}, {30, &windows95}, {40, &windows95},
        {5, &early_nt}, {20, &early_nt},
        {50, nullptr}, {60, nullptr}, {65, nullptr}, {100, nullptr},
    };
    open_config_dialog();
    for (const Row& r : rows) {
        SCOPED_TRACE("os_code " + std::to_string(r.os_code));
        app.os_code = r.os_code;
        for (int n = 1; n <= 22; n++) EnableWindow(gadget(n), TRUE);
        fill_config_dialog();
        for (int n = 1; n <= 22; n++) {
            bool off = r.disabled && std::find(r.disabled->begin(), r.disabled->end(), n) != r.disabled->end();
            EXPECT_EQ(!off, IsWindowEnabled(gadget(n)) != 0) << "gadget " << n;
        }
    }
}

TEST_F(DialogsTest, ChoosingConfigAgainRebuildsTheDialogFromTheSettings) {
    dispatch_menu(kMenuConfig);
    HWND first = window_handle(kConfigWindow);
    HWND first_edit = gadget(kGadgetCustomText);
    ASSERT_TRUE(first);
    SendMessageA(gadget(kGadgetShowIP), BM_SETCHECK, 1, 0);
    SetWindowTextA(first_edit, "typed but not applied");

    dispatch_menu(kMenuConfig);
    HWND second = window_handle(kConfigWindow);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(first_edit));
    EXPECT_EQ(second, GetParent(gadget(kGadgetCustomText)));
    EXPECT_EQ(0, checked(kGadgetShowIP));
    EXPECT_EQ("Desk 4", text_of(gadget(kGadgetCustomText)));
    expect_dialog_window(second, "Norvane Configuration", 300, 255);
}

TEST_F(DialogsTest, TrackbarAndCornerEventsChangeTheSettingsAtOnce) {
    dispatch_menu(kMenuConfig);
    struct Row { int position; int trans; const char* text; } moves[] = {{40, 40, "40%"}, {100, 100, "Off"}, {10, 10, "10%"}};
    for (const Row& m : moves) {
        SendMessageA(gadget(kGadgetTrackbar), TBM_SETPOS, TRUE, m.position);
        dispatch_gadget(kGadgetTrackbar);
        EXPECT_EQ(m.trans, app.settings.TransAmount);
        EXPECT_EQ(m.text, text_of(gadget(kGadgetTransValue)));
    }
    struct Corner { int option; int pos; } corners[] = {
        {kGadgetTopLeft, 1}, {kGadgetTopRight, 2}, {kGadgetBottomLeft, 3}, {kGadgetBottomRight, 4}};
    for (const Corner& c : corners) {
        dispatch_gadget(c.option);
        EXPECT_EQ(c.pos, app.settings.LabelPos) << "option " << c.option;
    }
    // The changes survive a rebuild without Apply.
    dispatch_menu(kMenuConfig);
    EXPECT_EQ(10, trackbar_position());
    EXPECT_EQ(1, checked(kGadgetBottomRight));
}

TEST_F(DialogsTest, CloseRequestsForTheDialogsAreIgnoredExitAndTheLabelsCloseEndTheProgram) {
    dispatch_menu(kMenuConfig);
    dispatch_menu(kMenuAbout);
    for (int window : {kConfigWindow, kAboutWindow}) {
        event_state.event_window_handle = window_handle(window);
        dispatch_event(EventCloseWindow);
        EXPECT_EQ(0, app.quit);
        EXPECT_TRUE(IsWindow(window_handle(window)));
    }
    dispatch_menu(9);
    EXPECT_EQ(0, app.quit);
    dispatch_menu(kMenuExit);
    EXPECT_EQ(1, app.quit);
    app.quit = 0;
    open_window(kLabelWindow, 0, 0, 60, 20, 0x90000000, "Norvane");
    event_state.event_window_handle = window_handle(kLabelWindow);
    dispatch_event(EventCloseWindow);
    EXPECT_EQ(1, app.quit);
    close_window(kLabelWindow);
}

TEST_F(DialogsTest, AboutDialogWindowGadgetsTextAndLinkFont) {
    dispatch_menu(kMenuAbout);
    HWND about = window_handle(kAboutWindow);
    expect_dialog_window(about, "About v1.0", 218, 233);
    const GadgetExpectation expected[] = {
        {23, "Button", "Close", 80, 200, 60, 20, BS_PUSHBUTTON, kButtonKind, true, 0},
        // The image gadget takes the image's size plus its sunken edge.
        {24, "Static", "", 25, 5, 161, 79, SS_NOTIFY, SS_NOTIFY, false, WS_EX_CLIENTEDGE},
        {25, "Static", app.about_text, 5, 90, 204, 85, SS_CENTER, SS_TYPEMASK, true, 0},
        {26, "Static", "Norvane website", 59, 176, 100, 15, 0, SS_TYPEMASK, false, 0},
    };
    for (const GadgetExpectation& e : expected) expect_gadget(about, e);

    HFONT link_font = reinterpret_cast<HFONT>(SendMessageA(gadget(kGadgetLink), WM_GETFONT, 0, 0));
    ASSERT_TRUE(link_font);
    EXPECT_EQ(font_handle(kLinkFont), link_font);
    const LOGFONTA lf = described(link_font);
    EXPECT_STREQ("Arial", lf.lfFaceName);
    EXPECT_EQ(1, lf.lfUnderline);
    EXPECT_EQ(FW_NORMAL, lf.lfWeight);
    EXPECT_EQ(-MulDiv(10, display_pixels_per_inch(), 72), lf.lfHeight);

    // The link's caption and the About text fit their gadgets in the fonts they are shown in.
    RECT link_box;
    GetClientRect(gadget(kGadgetLink), &link_box);
    EXPECT_LE(text_box(gadget(kGadgetLink), "Norvane website", 0).right, link_box.right);
    // No line of the About text wraps, and all of them fit the box.
    const int lines = 1 + static_cast<int>(std::count(app.about_text, app.about_text + text_length(app.about_text), '\n'));
    const int line_height = text_box(gadget(kGadgetAboutText), "X", 204).bottom;
    EXPECT_EQ(lines * line_height, text_box(gadget(kGadgetAboutText), app.about_text, 204).bottom);
    EXPECT_LE(lines * line_height, 85);

    // Choosing About again rebuilds the dialog and replaces the link font.
    dispatch_menu(kMenuAbout);
    EXPECT_NE(about, window_handle(kAboutWindow));
    EXPECT_FALSE(IsWindow(about));
    EXPECT_EQ(0u, GetObjectType(link_font)) << "the previous link font is deleted";
    EXPECT_EQ(font_handle(kLinkFont), reinterpret_cast<HFONT>(SendMessageA(gadget(kGadgetLink), WM_GETFONT, 0, 0)));
    EXPECT_EQ(app.about_text, text_of(gadget(kGadgetAboutText)));
}

TEST_F(DialogsTest, LinkOpensTheProductPageAndCloseClosesTheAboutDialog) {
    dispatch_menu(kMenuAbout);
    shell_calls.clear();
    ShellExecuteFunction saved = shell_execute;
    shell_execute = record_shell_call;
    dispatch_gadget(kGadgetLink);
    dispatch_gadget(kGadgetLink);
    shell_execute = saved;
    const std::vector<std::string> expected(2, std::string("0|open|") + kProductPage + "||" + "|1");
    EXPECT_EQ(expected, shell_calls) << "each release of the link opens the page";
    const std::string page = kProductPage;
    EXPECT_EQ(0u, page.find("http://"));
    EXPECT_EQ(page.size() - 18, page.find("/software/norvane/"));
    EXPECT_TRUE(IsWindow(window_handle(kAboutWindow)));

    dispatch_gadget(kGadgetAboutClose);
    EXPECT_EQ(nullptr, window_handle(kAboutWindow));
}

TEST_F(DialogsTest, FontButtonTakesTheChoiceOnlyOnOk) {
    set_settings(std::string("55|0|4|1|0|1|0||") + kListedFace + "|8");
    dispatch_menu(kMenuAbout);
    HWND about = window_handle(kAboutWindow);
    dispatch_menu(kMenuConfig);
    SetForegroundWindow(window_handle(kConfigWindow));
    pump_messages();
    const std::string before = std::string(" ") + kListedFace + ", Size: 8";
    ASSERT_EQ(before, text_of(gadget(kGadgetFontText)));

    RequesterScript cancel{nullptr, IDCANCEL, about};
    script = &cancel;
    SetTimer(0, 0, 100, drive_requester);
    dispatch_gadget(kGadgetFont);
    ASSERT_TRUE(cancel.seen);
    EXPECT_FALSE(cancel.watched_enabled) << "the About dialog is disabled while the requester is open";
    EXPECT_TRUE(IsWindowEnabled(about));
    EXPECT_EQ(before, text_of(gadget(kGadgetFontText)));
    EXPECT_EQ(8, app.settings.FontSize);

    RequesterScript ok{"12", IDOK, about};
    script = &ok;
    SetTimer(0, 0, 100, drive_requester);
    dispatch_gadget(kGadgetFont);
    ASSERT_TRUE(ok.seen);
    EXPECT_STREQ(kListedFace, app.settings.FontName);
    EXPECT_EQ(12, app.settings.FontSize);
    EXPECT_EQ(std::string(" ") + kListedFace + ", Size: 12", text_of(gadget(kGadgetFontText)));
    EXPECT_TRUE(IsWindowEnabled(about));
    EXPECT_TRUE(IsWindowEnabled(window_handle(kConfigWindow)));
}

TEST_F(DialogsTest, ApplyTakesOverTheDialogAndCloseAlsoSavesAndClosesIt) {
    const std::string directory = temp_folder("norvane-dialogs"), file = directory + "\\Norvane.ini";
    CreateDirectoryA(directory.c_str(), 0);
    store_string(&app.windows_dir, directory.c_str());
    DeleteFileA(file.c_str());

    set_settings("55|0|3|1|0|1|0||Tahoma|9");  // no autostart copy of the test program
    read_work_area();
    app.work_area_bottom = app.work_area.bottom;
    dispatch_menu(kMenuConfig);
    SendMessageA(gadget(kGadgetShowIP), BM_SETCHECK, 1, 0);
    SetWindowTextA(gadget(kGadgetCustomText), "Rack 7");
    dispatch_gadget(kGadgetApply);
    EXPECT_EQ(1, app.settings.ShowIP);
    EXPECT_STREQ("Rack 7", app.settings.AddToDisplay);
    EXPECT_TRUE(window_handle(kConfigWindow));
    EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED, GetWindowLongA(window_handle(kLabelWindow), GWL_EXSTYLE));
    EXPECT_EQ("<missing>", read_file(file)) << "Apply does not save";

    // Back to "Off": Apply places the label anew in its corner, opaque.
    SendMessageA(gadget(kGadgetTrackbar), TBM_SETPOS, TRUE, 100);
    dispatch_gadget(kGadgetTrackbar);
    dispatch_gadget(kGadgetApply);
    HWND label = window_handle(kLabelWindow);
    EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, GetWindowLongA(label, GWL_EXSTYLE));
    RECT r;
    GetWindowRect(label, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(app.work_area_bottom, r.bottom);

    SetWindowTextA(gadget(kGadgetCustomText), "Rack 8");
    dispatch_gadget(kGadgetClose);
    EXPECT_EQ(nullptr, window_handle(kConfigWindow));
    EXPECT_STREQ("Rack 8", app.settings.AddToDisplay);
    EXPECT_EQ(settings_file_text("100|0|3|1|0|1|1|Rack 8|Tahoma|9"), read_file(file));
    DeleteFileA(file.c_str());
    RemoveDirectoryA(directory.c_str());
    close_window(kLabelWindow);
}
