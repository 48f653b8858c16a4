// Numbered fonts against real GDI: heights from points, style flags, replacement, growth and
// ANY_NUMBER identities.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/graphics/fonts.h"
#include "win32_support.h"

namespace {
class FontsTest : public ::testing::Test {
protected:
    void SetUp() override {
        free_all_fonts();
        init_fonts();
    }
    void TearDown() override { free_all_fonts(); }
};


// True when `old` no longer names a live font (a reused handle value proves its deletion too).
bool deleted_or_reused(HFONT old, HFONT now) { return old == now || GetObjectType(old) == 0; }

}  // namespace

TEST_F(FontsTest, HeightIsTheNegatedPointSizeOnTheDisplay) {
    ASSERT_EQ(96, display_pixels_per_inch());
    const struct { int points; LONG height; } rows[] = {{8, -11}, {10, -13}, {0, 0}, {12, -16}, {72, -96}};
    for (const auto& row : rows) {
        HFONT font = reinterpret_cast<HFONT>(load_font(1, "Arial", row.points));
        ASSERT_NE(nullptr, font) << row.points << " points";
        EXPECT_EQ(row.height, described(font).lfHeight) << row.points << " points";
    }
}

TEST_F(FontsTest, StyleFlagsSetWeightItalicUnderlineStrikeOutAndQuality) {
    const struct { int style; LONG weight; BYTE italic, underline, strike_out, quality; } rows[] = {
        {0, FW_NORMAL, 0, 0, 0, DEFAULT_QUALITY},
        {FontUnderline, FW_NORMAL, 0, 1, 0, DEFAULT_QUALITY},
        {FontBold | FontUnderline, FW_BOLD, 0, 1, 0, DEFAULT_QUALITY},
        {FontStrikeOut | FontItalic, FW_NORMAL, 1, 0, 1, DEFAULT_QUALITY},
        {FontHighQuality, FW_NORMAL, 0, 0, 0, PROOF_QUALITY},
        {0x7fff & ~(FontUnderline | FontStrikeOut | FontHighQuality | FontBold | FontItalic), FW_NORMAL, 0, 0, 0,
         DEFAULT_QUALITY},
    };
    for (const auto& row : rows) {
        // The previous creation's style must not leak into the next one.
        load_font(2, "Arial", 10, FontBold | FontItalic | FontUnderline | FontStrikeOut | FontHighQuality);
        const LOGFONTA lf = described(reinterpret_cast<HFONT>(load_font(2, "Arial", 10, row.style)));
        EXPECT_EQ(row.weight, lf.lfWeight) << "style " << row.style;
        EXPECT_EQ(row.italic, lf.lfItalic) << "style " << row.style;
        EXPECT_EQ(row.underline, lf.lfUnderline) << "style " << row.style;
        EXPECT_EQ(row.strike_out, lf.lfStrikeOut) << "style " << row.style;
        EXPECT_EQ(row.quality, lf.lfQuality) << "style " << row.style;
    }
}

TEST_F(FontsTest, LoadingAUsedNumberDeletesTheOldFont) {
    HFONT first = reinterpret_cast<HFONT>(load_font(27, "Arial", 10));
    ASSERT_EQ(OBJ_FONT, GetObjectType(first));
    HFONT second = reinterpret_cast<HFONT>(load_font(27, "Arial", 12));
    ASSERT_EQ(OBJ_FONT, GetObjectType(second));
    EXPECT_TRUE(deleted_or_reused(first, second));
    EXPECT_EQ(-16, described(font_handle(27)).lfHeight);
}

TEST_F(FontsTest, FirstUseOfANumberBeyondTheCapacityGrowsByThirtyAndKeepsTheOthers) {
    ASSERT_EQ(10, font_table.capacity);
    std::vector<HFONT> low;
    for (int n = 0; n < 10; ++n) low.push_back(reinterpret_cast<HFONT>(load_font(n, "Arial", 8 + n)));
    EXPECT_NE(0, load_font(40, "Arial", 10));
    EXPECT_EQ(70, font_table.capacity);
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(low[n], font_handle(n)) << "font " << n;
        EXPECT_EQ(OBJ_FONT, GetObjectType(low[n])) << "font " << n;
    }
}

TEST_F(FontsTest, LookupsSetTheCurrentFontAndFreeingDeletesOnlyLiveFonts) {
    HFONT a = reinterpret_cast<HFONT>(load_font(3, "Arial", 10));
    const ObjectNumber any = load_font(ANY_NUMBER, "Arial", 10, FontBold);
    EXPECT_TRUE(any < 0 || any >= font_table.capacity) << any;
    EXPECT_EQ(font_handle(any), current_font());
    EXPECT_EQ(FW_BOLD, described(current_font()).lfWeight);
    EXPECT_EQ(a, font_handle(3));
    EXPECT_EQ(a, current_font());
    EXPECT_EQ(nullptr, font_handle(500));
    EXPECT_EQ(nullptr, current_font());
    free_font(3);
    free_font(3);    // a second free does nothing
    free_font(500);  // nor does freeing beyond the table
    EXPECT_EQ(0, GetObjectType(a));
    EXPECT_EQ(nullptr, font_handle(3));
    HFONT any_font = font_handle(any);
    free_all_fonts();
    EXPECT_EQ(0, GetObjectType(any_font));
    EXPECT_EQ(nullptr, font_table.any_list);
}

// Runs the process out of GDI handles so that the system refuses the next font.
TEST_F(FontsTest, RefusedFontsGiveZeroForNumbersAndStillAnIdentityForAnyNumber) {
    std::vector<HGDIOBJ> hog;
    for (;;) {
        HGDIOBJ brush = CreateSolidBrush(RGB(1, 2, 3));
        if (!brush) break;
        hog.push_back(brush);
        ASSERT_LT(hog.size(), 200000u) << "the system never refused a GDI object";
    }
    const ObjectNumber refused_number = load_font(6, "Arial", 10);
    const ObjectNumber refused_any = load_font(ANY_NUMBER, "Arial", 10);
    for (HGDIOBJ brush : hog) DeleteObject(brush);

    EXPECT_EQ(0, refused_number);
    EXPECT_EQ(nullptr, font_handle(6));
    EXPECT_NE(0, refused_any);
    EXPECT_TRUE(refused_any < 0 || refused_any >= font_table.capacity) << refused_any;
    EXPECT_EQ(nullptr, font_handle(refused_any));
    // Its record goes with it when it is freed.
    free_font(refused_any);
    EXPECT_EQ(nullptr, font_table.any_list);
}
