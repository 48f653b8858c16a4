// The label and both dialogs at one pixel density and national dialog font: tests/win32/density.sh
// runs this program once per row, with the density and the locale set before it starts, and
// names the row in NORVANE_DENSITY and NORVANE_CODE_PAGE. Every gadget is checked against its
// own font, as the control draws it.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include <string>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/program.h"
#include "dialogs/dialog_layout.h"
#include "label/label.h"
#include "resource.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"
#include "win32_support.h"

namespace {
int row_value(const char* name, int otherwise) {
    const char* value = getenv(name);
    return value && *value ? atoi(value) : otherwise;
}
const int kRowDensity = row_value("NORVANE_DENSITY", 96);
const int kRowCodePage = row_value("NORVANE_CODE_PAGE", 1252);
// The Western default dialog font at 96 pixels per inch: the tables' own geometry.
const bool kLaidOutRow = kRowDensity == 96 && kRowCodePage == 1252;

struct TextBox {
    int width, height, line_height, zero_width;
};

// The text's box in the control's own font: one line, or broken at the width as the control
// breaks it; and the font's line height and the width of its '0'.
TextBox measure(HWND control, const std::string& text, UINT flags, int wrap_width) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, wrap_width, 0};
    if (!text.empty()) DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | flags);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int zero = 0;
    GetCharWidthA(dc, '0', '0', &zero);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return TextBox{r.right, r.bottom, metrics.tmHeight, zero};
}

// A gadget's caption, glyph and edges against its client area. A check box or option draws its
// glyph (12 pixels at 96 pixels per inch, one more for its frame) and half a '0' before the
// caption; the control puts the caption one pixel further for its focus frame, which the last
// letter's own spacing takes. A push button's edges take 2 pixels each side; a group box draws
// its caption 8 pixels in from either side.
void expect_fits(HWND dialog, int number) {
    SCOPED_TRACE("gadget " + std::to_string(number));
    HWND control = gadget_handle(number);
    ASSERT_TRUE(control);
    RECT client, outer, area;
    GetClientRect(control, &client);
    GetWindowRect(control, &outer);
    MapWindowPoints(0, dialog, reinterpret_cast<POINT*>(&outer), 2);
    GetClientRect(dialog, &area);
    EXPECT_TRUE(outer.left >= 0 && outer.top >= 0 && outer.right <= area.right && outer.bottom <= area.bottom)
        << "inside the dialog: " << outer.left << "," << outer.top << " - " << outer.right << "," << outer.bottom;
    const std::string text = text_of(control), cls = class_of(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE), kind = style & 0xF;
    const int glyph = 12 * display_pixels_per_inch() / 96 + 1;
    int need_w = 0, need_h = 0;
    if (cls == "Edit") {
        need_h = measure(control, "", 0, 0).line_height;
    } else if (cls == "Static" && number != kGadgetLogo) {
        const bool wraps = number != kGadgetLink && number != kLabelGadget;
        const TextBox box = measure(control, text, (style & SS_CENTER ? DT_CENTER : 0) | (wraps ? DT_WORDBREAK : DT_SINGLELINE),
                                    client.right);
        need_w = box.width, need_h = box.height;
    } else if (cls == "Button" && (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON)) {
        const TextBox box = measure(control, text, DT_SINGLELINE, 0);
        need_w = text.empty() ? glyph : glyph + box.zero_width / 2 + box.width;
        need_h = box.height > glyph ? box.height : glyph;
    } else if (cls == "Button" && kind == BS_PUSHBUTTON) {
        const TextBox box = measure(control, text, DT_SINGLELINE, 0);
        need_w = box.width + 4, need_h = box.height + 4;
    } else if (cls == "Button" && kind == BS_GROUPBOX && !text.empty()) {
        const TextBox box = measure(control, text, DT_SINGLELINE, 0);
        need_w = box.width + 16, need_h = box.height;
    }
    EXPECT_LE(need_w, client.right) << cls << " \"" << text << "\" is cut across";
    EXPECT_LE(need_h, client.bottom) << cls << " \"" << text << "\" is cut below";
}

void dispatch_menu(int item) {
    event_state.event_object = item;
    dispatch_event(EventMenu);
    pump_messages();
}

// The dialog's window: its client size at the row's scale, whole on the 1024 x 768 screen.
void expect_window(HWND window, int width, int height) {
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    const DialogScale s = dialog_scale();
    EXPECT_EQ(scale_length(width, s.x), client.right);
    EXPECT_EQ(scale_length(height, s.y), client.bottom);
    EXPECT_TRUE(outer.left >= 0 && outer.top >= 0 && outer.right <= GetSystemMetrics(SM_CXSCREEN) &&
                outer.bottom <= GetSystemMetrics(SM_CYSCREEN));
    if (kLaidOutRow) {
        EXPECT_EQ(width, client.right) << "the laid-out geometry, pixel for pixel";
        EXPECT_EQ(height, client.bottom);
    }
}

class Density : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_program_runtime();
        decode_embedded_image(kLogoImage, logo_bitmap, logo_bitmap_size);
        build_about_text();
        init_dialog_scale(app.about_text);
        app.os_code = 60;
        store_string(&app.identity.computer_name, "VM");
        set_settings("100|0|4|1|0|0|0|Desk 4|Arial|8");
    }
};

TEST_F(Density, TheRowIsTheSystemsDensityAndCodePage) {
    EXPECT_EQ(kRowDensity, display_pixels_per_inch());
    EXPECT_EQ(static_cast<UINT>(kRowCodePage), GetACP());
    const DialogScale s = dialog_scale();
    if (kLaidOutRow) {
        EXPECT_EQ(kScaleOne, s.x);
        EXPECT_EQ(kScaleOne, s.y);
    }
    printf("density %d, code page %u: dialog scale %.3f x %.3f\n", display_pixels_per_inch(), GetACP(),
           s.x / static_cast<double>(kScaleOne), s.y / static_cast<double>(kScaleOne));
}

TEST_F(Density, EveryGadgetOfTheConfigurationDialogHoldsWhatItShows) {
    dispatch_menu(kMenuConfig);
    HWND dialog = window_handle(kConfigWindow);
    ASSERT_TRUE(dialog);
    expect_window(dialog, 300, 255);
    for (int number = kGadgetOuterFrame; number <= kGadgetFontText; number++) expect_fits(dialog, number);
    // The transparency value at its widest.
    set_gadget_text(kGadgetTransValue, "99%");
    expect_fits(dialog, kGadgetTransValue);
    close_window(kConfigWindow);
}

TEST_F(Density, EveryGadgetOfTheAboutDialogHoldsWhatItShows) {
    dispatch_menu(kMenuAbout);
    HWND dialog = window_handle(kAboutWindow);
    ASSERT_TRUE(dialog);
    expect_window(dialog, 218, 233);
    ASSERT_EQ(app.about_text, text_of(gadget_handle(kGadgetAboutText)));
    for (int number = kGadgetAboutClose; number <= kGadgetLink; number++) expect_fits(dialog, number);
    // The logo keeps its own pixels and its sunken edge.
    RECT logo;
    GetClientRect(gadget_handle(kGadgetLogo), &logo);
    EXPECT_EQ(157, logo.right);
    EXPECT_EQ(75, logo.bottom);
    close_window(kAboutWindow);
}

TEST_F(Density, TheLabelIsItsTextsSizeFlushInTheCorner) {
    read_work_area();
    app.work_area_bottom = app.work_area.bottom;
    render_label();
    HWND label = window_handle(kLabelWindow);
    ASSERT_TRUE(label);
    expect_fits(label, kLabelGadget);
    RECT r, client;
    GetWindowRect(label, &r);
    GetClientRect(label, &client);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_EQ(app.work_area_bottom, r.bottom);
    // Measured once, in its own font at the density: exactly its text's size, not scaled again.
    const TextBox box = measure(gadget_handle(kLabelGadget), text_of(gadget_handle(kLabelGadget)), DT_SINGLELINE, 0);
    EXPECT_EQ(box.width, client.right);
    EXPECT_EQ(box.line_height, client.bottom);
    close_window(kLabelWindow);
}

TEST(Manifest, TheProgramSaysItHandlesTheDensity) {
    typedef BOOL(WINAPI * QuerySettings)(DWORD, HANDLE, const WCHAR*, const WCHAR*, WCHAR*, SIZE_T, SIZE_T*);
    QuerySettings query = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    ASSERT_TRUE(query);
    WCHAR value[16] = L"";
    SIZE_T written = 0;
    ASSERT_TRUE(query(0, 0, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", value, 16, &written));
    EXPECT_EQ(std::wstring(L"true"), value);
}
}  // namespace
