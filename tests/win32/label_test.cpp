// The label window in-process: what a rendering leaves behind, and how placement and
// transparency follow the settings.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/app_state.h"
#include "app/program.h"
#include "label/label.h"
#include "resource.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"
#include "win32_support.h"

namespace {
class Label : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_program_runtime(); }
    void SetUp() override {
        set_settings("100|0|4|1|0|0|0||Arial|8");
        store_string(&app.identity.computer_name, "DESK-7");
        RECT area;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        app.work_area_bottom = area.bottom;
    }
    void TearDown() override {
        close_all_windows();
        settle_events();
    }
    static int live_table_fonts() {
        int live = 0;
        for (ObjectNumber n = 0; n < font_table.capacity; ++n) live += font_handle(n) != 0;
        return live;
    }
};

BOOL CALLBACK count_label_windows(HWND w, LPARAM count) {
    if (class_of(w) == "WindowClass_3") ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(Label, ManyRenderingsLeaveOneWindowOneFontAndNothingTemporary) {
    render_label();
    settle_events();
    char* const scratch_before = scratch_position;
    const int fonts_before = live_table_fonts();
    for (int i = 0; i < 200; ++i) {
        app.settings.LabelPos = 1 + i % 4;
        render_label();
    }
    settle_events();
    EXPECT_EQ(nullptr, font_table.any_list) << "a measuring font was left";
    EXPECT_EQ(nullptr, image_table.any_list) << "a measuring image was left";
    EXPECT_EQ(fonts_before, live_table_fonts());
    EXPECT_EQ(scratch_before, scratch_position) << "renderings must not use up the scratch";
    int label_windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_label_windows, reinterpret_cast<LPARAM>(&label_windows));
    EXPECT_EQ(1, label_windows);
    EXPECT_STREQ(" DESK-7 ", app.label_text);
}

TEST_F(Label, EveryCornerKeepsTheSizeAndTheCentredTextInTheLabelFontTopMostWithoutATaskBarButton) {
    render_label();
    const int width = app.label_width, height = app.label_height;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    const struct {
        int corner;
        int x, y;
    } rows[] = {{1, 0, 0},
                {2, GetSystemMetrics(SM_CXSCREEN) - width, 0},
                {3, 0, app.work_area_bottom - height},
                {4, GetSystemMetrics(SM_CXSCREEN) - width, app.work_area_bottom - height},
                {0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
    for (const auto& row : rows) {
        SCOPED_TRACE("corner " + std::to_string(row.corner));
        app.settings.LabelPos = row.corner;
        render_label();
        EXPECT_EQ(width, app.label_width);
        EXPECT_EQ(height, app.label_height);
        HWND label = window_handle(kLabelWindow);
        RECT r;
        GetWindowRect(label, &r);
        EXPECT_EQ(row.x, r.left);
        EXPECT_EQ(row.y, r.top);
        EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, GetWindowLongA(label, GWL_EXSTYLE));
        // The text is centred, in the label's own font.
        HWND text = GetDlgItem(label, kLabelGadget);
        EXPECT_EQ(SS_CENTER, GetWindowLongA(text, GWL_STYLE) & SS_TYPEMASK);
        EXPECT_EQ(font_handle(kLabelFont), reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)));
    }
}

TEST_F(Label, TheLabelFontFollowsTheSettingsAndSizeZeroMeasuresWithTheDefaultHeight) {
    store_string(&app.settings.FontName, "Courier New");
    app.settings.FontSize = 12;
    render_label();
    const LOGFONTA font = described(font_handle(kLabelFont));
    EXPECT_STREQ("Courier New", font.lfFaceName);
    EXPECT_EQ(-MulDiv(12, display_pixels_per_inch(), 72), font.lfHeight);

    app.settings.FontSize = 0;
    render_label();
    EXPECT_GT(app.label_height, 0);
    RECT r;
    GetWindowRect(window_handle(kLabelWindow), &r);
    EXPECT_EQ(app.label_height, r.bottom - r.top);
}
// A full object-list heap gives the measuring font no number (0). The measurement then uses
// the drawing's own font and leaves font 0, the About link's, as it was.
TEST_F(Label, MeasuringWithoutAFontOfItsOwnLeavesFontZeroAlone) {
    const HFONT link = reinterpret_cast<HFONT>(load_font(0, "Arial", 10, FontUnderline));
    ASSERT_TRUE(link);
    ASSERT_TRUE(create_image(5, 600, 300));  // the image the measurement falls back on
    HDC dc = CreateCompatibleDC(0);
    SIZE own = {0, 0};
    GetTextExtentPoint32A(dc, "Measured", 8, &own);
    DeleteDC(dc);

    const HeapHandle usual = object_list_heap;
    HANDLE full = HeapCreate(0, 0x1000, 0x1000);
    ASSERT_TRUE(full);
    while (HeapAlloc(full, 0, 16)) {
    }
    object_list_heap = full;
    const int width = measure_text_width("Arial", 10, "Measured");
    object_list_heap = usual;
    HeapDestroy(full);

    EXPECT_EQ(own.cx, width) << "measured with the drawing's own font";
    EXPECT_EQ(link, font_handle(0));
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(link)) << "the link font was deleted";
    free_image(5);
    free_font(0);
}

BOOL WINAPI refuse_work_area(UINT, UINT, PVOID area, UINT) {
    SetRect(static_cast<RECT*>(area), 0, 0, 0, 0);
    return FALSE;
}

// A failed read keeps the last good work area; with none read yet, the screen stands in.
TEST_F(Label, FailedWorkAreaReadKeepsTheLastGoodArea) {
    RECT real;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &real, 0);
    const WorkArea last_good = {3, 4, 500, 400};
    const WorkArea none = {0, 0, 0, 0};
    const struct {
        bool fails;
        WorkArea before;
        WorkArea after;
    } rows[] = {
        {false, last_good, {real.left, real.top, real.right, real.bottom}},
        {true, last_good, last_good},
        {true, none, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}},
    };
    for (const auto& row : rows) {
        app.work_area = row.before;
        void* real_read = row.fails ? replace_import("SystemParametersInfoA", reinterpret_cast<void*>(refuse_work_area)) : 0;
        read_work_area();
        if (real_read) replace_import("SystemParametersInfoA", real_read);
        EXPECT_EQ(row.after.left, app.work_area.left) << row.fails;
        EXPECT_EQ(row.after.top, app.work_area.top) << row.fails;
        EXPECT_EQ(row.after.right, app.work_area.right) << row.fails;
        EXPECT_EQ(row.after.bottom, app.work_area.bottom) << row.fails;
    }
}
}  // namespace
