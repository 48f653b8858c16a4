// Drawing on output targets against real GDI: one drawing at a time, the default brush and pen,
// fonts, and text measured through an image as on a screen-compatible context.
#include <gtest/gtest.h>

#include <string.h>

#include "runtime/graphics/drawing.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "win32_support.h"

namespace {
int releases[2];
void release_first() { ++releases[0]; }
void release_second() { ++releases[1]; }

// A memory context as an image target whose release only counts.
struct CountedTarget {
    explicit CountedTarget(void (*release)()) {
        target.kind = 2;
        target.window = 0;
        target.device_context = CreateCompatibleDC(0);
        target.release = release;
    }
    ~CountedTarget() { DeleteDC(target.device_context); }
    HDC dc() const { return target.device_context; }
    OutputTarget target;
};

class DrawingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_drawing();
        init_fonts();
        init_images();
    }
    void SetUp() override { releases[0] = releases[1] = 0; }
    void TearDown() override {
        stop_drawing();
        free_all_images();
        free_all_fonts();
    }
};

int screen_text_width(HFONT font, const char* text) {
    HDC screen = CreateDCA("DISPLAY", 0, 0, 0);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteDC(screen);
    return extent.cx;
}
}  // namespace

TEST_F(DrawingTest, StartingASecondDrawingReleasesTheFirstAndStoppingTwiceReleasesOnce) {
    CountedTarget first(release_first), second(release_second);
    EXPECT_EQ(first.dc(), start_drawing(&first.target));
    EXPECT_EQ(first.dc(), drawing_context());
    EXPECT_EQ(second.dc(), start_drawing(&second.target));
    EXPECT_EQ(1, releases[0]);
    EXPECT_EQ(0, releases[1]);
    stop_drawing();
    stop_drawing();
    EXPECT_EQ(1, releases[0]);
    EXPECT_EQ(1, releases[1]);
    EXPECT_EQ(nullptr, drawing_context());
}

TEST_F(DrawingTest, NullTargetsStartNothingAndDrawingCallsThenDoNothing) {
    CountedTarget first(release_first);
    start_drawing(&first.target);
    EXPECT_EQ(nullptr, start_drawing(nullptr));
    EXPECT_EQ(1, releases[0]);  // the drawing before was ended all the same
    OutputTarget empty = {2, 0, 0, release_second};
    EXPECT_EQ(nullptr, start_drawing(&empty));
    EXPECT_EQ(0, text_width("abc"));
    EXPECT_EQ(0, text_width(""));
    drawing_font(reinterpret_cast<HFONT>(-1));
    stop_drawing();
    EXPECT_EQ(0, releases[1]);
}

TEST_F(DrawingTest, DrawingUsesTheBlackDefaultsAndPutsTheContextsOwnObjectsBack) {
    CountedTarget target(release_first);
    HDC dc = target.dc();
    HGDIOBJ own_brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ own_pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ own_font = GetCurrentObject(dc, OBJ_FONT);
    SetTextColor(dc, RGB(255, 0, 0));
    ASSERT_EQ(dc, start_drawing(&target.target));

    LOGBRUSH brush;
    GetObjectA(GetCurrentObject(dc, OBJ_BRUSH), sizeof brush, &brush);
    EXPECT_EQ(static_cast<UINT>(BS_SOLID), brush.lbStyle);
    EXPECT_EQ(RGB(0, 0, 0), brush.lbColor);
    LOGPEN pen;
    GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    EXPECT_EQ(static_cast<UINT>(PS_SOLID), pen.lopnStyle);
    EXPECT_EQ(0, pen.lopnWidth.x);
    EXPECT_EQ(RGB(0, 0, 0), pen.lopnColor);
    EXPECT_EQ(RGB(0, 0, 0), GetTextColor(dc));
    EXPECT_EQ(static_cast<UINT>(TA_UPDATECP), GetTextAlign(dc) & TA_UPDATECP);

    drawing_font(reinterpret_cast<HFONT>(-1));
    EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(dc, OBJ_FONT));
    HFONT font = reinterpret_cast<HFONT>(load_font(1, "Arial", 10));
    drawing_font(font);
    drawing_font(nullptr);  // fails to select and keeps the font
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    stop_drawing();
    EXPECT_EQ(own_brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(own_pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(own_font, GetCurrentObject(dc, OBJ_FONT));
}

TEST_F(DrawingTest, TextMeasuredThroughAnImageMatchesAScreenCompatibleContext) {
    const struct { const char* face; int size; int style; const char* text; } rows[] = {
        {"Arial", 10, 0, "PC-ACCOUNTS"},
        {"Arial", 8, 0, "Hello, world  (two spaces)"},
        {"Arial", 24, FontBold, "W"},
        {"Courier New", 12, FontItalic, "[DOMAIN\\user] 192.168.1.20"},
        {"Times New Roman", 36, 0, "i"},
    };
    for (const auto& row : rows) {
        const ObjectNumber font = load_font(ANY_NUMBER, row.face, row.size, row.style);
        const ObjectNumber image = create_image(ANY_NUMBER, 600, 300);
        ASSERT_NE(0, image);
        ASSERT_NE(nullptr, start_drawing(image_output()));
        drawing_font(font_handle(font));
        EXPECT_EQ(0, text_width(""));
        const int width = text_width(row.text);
        stop_drawing();
        EXPECT_GT(width, 0) << row.text;
        EXPECT_EQ(screen_text_width(font_handle(font), row.text), width) << row.face << " " << row.text;
        free_image(image);
        free_font(font);
    }
    EXPECT_EQ(nullptr, image_table.any_list);
    EXPECT_EQ(nullptr, font_table.any_list);
}
