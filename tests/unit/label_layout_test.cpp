// The label's corner placement and its opacity.
#include <gtest/gtest.h>

#include "label/label_layout.h"

namespace {
struct CornerRow {
    int corner;
    int work_area_bottom;
    int x;
    int y;
};

TEST(LabelLayout, CornersOnA1024x768ScreenWithABottomTaskBar) {
    // A 100 x 20 label; the task bar takes the bottom 40 pixels.
    const CornerRow rows[] = {
        {1, 728, 0, 0},       {2, 728, 924, 0},    {3, 728, 0, 708},
        {4, 728, 924, 708},   {0, 728, 1024, 768}, {5, 728, 1024, 768},
        {-1, 728, 1024, 768}, {4, 768, 924, 748},  // no task bar: flush with the screen
    };
    for (const CornerRow& r : rows) {
        const LabelPosition p = label_corner_position(r.corner, 1024, 768, r.work_area_bottom, 100, 20);
        EXPECT_EQ(r.x, p.x) << "corner " << r.corner;
        EXPECT_EQ(r.y, p.y) << "corner " << r.corner;
    }
}

TEST(LabelLayout, BottomRightEdgesMeetTheScreenAndTheWorkArea) {
    const LabelPosition p = label_corner_position(4, 1024, 768, 728, 137, 14);
    EXPECT_EQ(1024, p.x + 137);
    EXPECT_EQ(728, p.y + 14);
}

TEST(LabelLayout, ATaskBarAtTheTopDoesNotMoveTheTopCorners) {
    // Only the work area's bottom edge counts; a top task bar may cover the label.
    const LabelPosition p = label_corner_position(1, 1024, 768, 768, 100, 20);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(0, p.y);
}

TEST(LabelLayout, AlphaDropsTheFractionAndRefusesAmountsOutsideZeroToHundred) {
    const int rows[][2] = {{10, 25}, {25, 63}, {50, 127}, {75, 191}, {99, 252}, {0, 0},
                           {100, 255}, {-5, -1}, {101, -1}, {-2147483647 - 1, -1}, {2147483647, -1}};
    for (const auto& r : rows) EXPECT_EQ(r[1], transparency_alpha(r[0])) << "amount " << r[0];
}
}  // namespace
