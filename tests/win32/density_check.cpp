// The label and both dialogs at one pixel density and national font: tests/win32/density.sh runs
// this once per row, with the density and locale set before it starts and named in
// NORVANE_DENSITY and NORVANE_CODE_PAGE. Every gadget is held against its own font.
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
int row(const char* name) { return getenv(name) ? atoi(getenv(name)) : 0; }

// The text's box in the control's own font (broken at the width when wrap_width is given), and
// the width of the font's '0'.
RECT text_box(HWND control, const std::string& text, UINT flags, int wrap_width, int* zero) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    RECT r = {0, 0, wrap_width, metrics.tmHeight};
    if (!text.empty()) DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | flags);
    GetCharWidthA(dc, '0', '0', zero);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r;
}

// As the controls draw: a check box or option its glyph (12 pixels at 96 pixels per inch, one
// more for its frame) and half a '0' before the caption (the pixel more it leaves for the focus
// frame is the last letter's own spacing); a push button its 2-pixel edges; a group box its
// caption 8 pixels in from either side; a text its lines as it breaks them.
void expect_fits(HWND window, int number) {
    HWND control = gadget_handle(number);
    RECT client, outer, area;
    GetClientRect(control, &client);
    GetWindowRect(control, &outer);
    MapWindowPoints(0, window, reinterpret_cast<POINT*>(&outer), 2);
    GetClientRect(window, &area);
    const std::string text = text_of(control), cls = class_of(control);
    SCOPED_TRACE(std::to_string(number) + " " + cls + " \"" + text + "\"");
    EXPECT_TRUE(outer.left >= 0 && outer.top >= 0 && outer.right <= area.right && outer.bottom <= area.bottom);
    const LONG style = GetWindowLongA(control, GWL_STYLE), kind = style & BS_TYPEMASK;
    const bool glyph_kind = cls == "Button" && (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON);
    const bool wraps = cls == "Static" && number != kGadgetLink && number != kLabelGadget;
    int zero = 0;
    RECT box = text_box(control, text, (style & SS_CENTER ? DT_CENTER : 0) | (wraps ? DT_WORDBREAK : DT_SINGLELINE),
                        wraps ? client.right : 0, &zero);
    if (glyph_kind) {
        const int glyph = 12 * display_pixels_per_inch() / 96 + 1;
        box.right = text.empty() ? glyph : glyph + zero / 2 + box.right;
        if (box.bottom < glyph) box.bottom = glyph;
    } else if (cls == "Button") {
        box.right += kind == BS_GROUPBOX ? 16 : 4;
        box.bottom += kind == BS_GROUPBOX ? 0 : 4;
    }
    if (number == kGadgetLogo || (kind == BS_GROUPBOX && text.empty())) return;
    if (cls != "Edit") EXPECT_LE(box.right, client.right) << "cut across";
    EXPECT_LE(box.bottom, client.bottom) << "cut below";
}

class Density : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_program_runtime();
        decode_embedded_image(kLogoImage, logo_bitmap, logo_bitmap_size);
        build_about_text();
        scale_dialogs();
        store_string(&app.identity.computer_name, "VM");
        set_settings("100|0|4|1|0|0|0|Desk 4|Arial|8");
    }
};

TEST_F(Density, EveryGadgetHoldsWhatItShowsAndTheWindowsAreWhole) {
    ASSERT_EQ(row("NORVANE_DENSITY"), display_pixels_per_inch());
    ASSERT_EQ(static_cast<UINT>(row("NORVANE_CODE_PAGE")), GetACP());
    const DialogScale s = dialog_scale();
    printf("dialog scale %.3f x %.3f\n", s.x / double(kScaleOne), s.y / double(kScaleOne));
    // The laid-out geometry stays, pixel for pixel, at 96 with the Western font.
    if (display_pixels_per_inch() == 96 && GetACP() == 1252) EXPECT_TRUE(s.x == kScaleOne && s.y == kScaleOne);
    struct Dialog { int item, window, first, last, width, height; } dialogs[] = {
        {kMenuConfig, kConfigWindow, kGadgetOuterFrame, kGadgetFontText, 300, 255},
        {kMenuAbout, kAboutWindow, kGadgetAboutClose, kGadgetLink, 218, 233},
    };
    for (const Dialog& d : dialogs) {
        event_state.event_object = d.item;
        dispatch_event(EventMenu);
        pump_messages();
        HWND window = window_handle(d.window);
        RECT client, outer;
        GetClientRect(window, &client);
        GetWindowRect(window, &outer);
        EXPECT_EQ(scale_length(d.width, s.x), client.right);
        EXPECT_EQ(scale_length(d.height, s.y), client.bottom);
        EXPECT_TRUE(outer.left >= 0 && outer.top >= 0 && outer.right <= GetSystemMetrics(SM_CXSCREEN) &&
                    outer.bottom <= GetSystemMetrics(SM_CYSCREEN)) << "window " << d.window;
        for (int n = d.first; n <= d.last; n++) expect_fits(window, n);
    }
    set_gadget_text(kGadgetTransValue, "99%");  // its widest value
    expect_fits(window_handle(kConfigWindow), kGadgetTransValue);
}

TEST_F(Density, TheLabelIsItsTextsSizeFlushInTheCorner) {
    read_work_area();
    app.work_area_bottom = app.work_area.bottom;
    render_label();
    HWND label = window_handle(kLabelWindow);
    RECT r, client;
    GetWindowRect(label, &r);
    GetClientRect(label, &client);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_EQ(app.work_area_bottom, r.bottom);
    // Measured in its own font at the density: exactly its text's size, not scaled again.
    int zero = 0;
    const RECT box = text_box(gadget_handle(kLabelGadget), app.label_text, DT_SINGLELINE, 0, &zero);
    EXPECT_EQ(box.right, client.right);
    EXPECT_EQ(box.bottom, client.bottom);
}

TEST(Manifest, TheProgramSaysItHandlesTheDensity) {
    typedef BOOL(WINAPI * QuerySettings)(DWORD, HANDLE, const WCHAR*, const WCHAR*, WCHAR*, SIZE_T, SIZE_T*);
    QuerySettings query = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    WCHAR value[16] = L"";
    ASSERT_TRUE(query && query(0, 0, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", value, 16, 0));
    EXPECT_EQ(std::wstring(L"true"), value);
}
}  // namespace
