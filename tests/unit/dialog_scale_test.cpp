// The dialogs' scale factors: base units, widening to hold a measured need, and rounding.
#include <gtest/gtest.h>

#include "dialogs/dialog_scale.h"

namespace {
TEST(DialogScale, BaseUnitsGiveTheFactorNeverBelowOneNorAboveTheCeiling) {
    struct Row { int measured, laid_out, factor; } rows[] = {
        {6, 6, kScaleOne},          {13, 13, kScaleOne},     {12, 13, kScaleOne},  // a smaller font stays at 1
        {8, 6, kScaleOne * 4 / 3},  {26, 13, 2 * kScaleOne}, {0, 6, kScaleOne},    // nothing measured
        {-5, 6, kScaleOne},         {6, 0, kScaleOne},       {1 << 30, 1, kScaleMost},
    };
    for (const Row& r : rows) EXPECT_EQ(r.factor, unit_factor(r.measured, r.laid_out)) << r.measured << "/" << r.laid_out;
}

TEST(DialogScale, AWidenedFactorMakesEveryLengthHoldItsNeed) {
    // Explorer: whatever the length and need, the scaled length holds the need, and a factor
    // that already holds it is kept as it is.
    for (int length = 1; length <= 320; length += 7) {
        for (int needed = 0; needed <= 3 * length; needed += 3) {
            for (int factor : {kScaleOne, kScaleOne * 5 / 4, 2 * kScaleOne}) {
                const int widened = factor_to_hold(factor, length, needed);
                ASSERT_GE(widened, factor);
                ASSERT_GE(scale_length(length, widened), needed) << length << " for " << needed;
                const long long held = static_cast<long long>(length) * factor, wanted = static_cast<long long>(needed) * kScaleOne;
                if (held >= wanted) ASSERT_EQ(factor, widened) << "already holds";
                // The least factor: one step less would not hold the need.
                if (widened > factor) ASSERT_LT(static_cast<long long>(length) * (widened - 1), wanted);
            }
        }
    }
    EXPECT_EQ(kScaleOne, factor_to_hold(kScaleOne, 0, 50)) << "a length of nothing";
    EXPECT_EQ(kScaleOne, factor_to_hold(kScaleOne, -3, 50));
    EXPECT_EQ(kScaleMost, factor_to_hold(kScaleOne, 1, 1 << 30)) << "an absurd need meets the ceiling";
}

TEST(DialogScale, LengthsRoundToTheNearestPixelAndOneKeepsThemExactly) {
    struct Row { int length, factor, scaled; } rows[] = {
        {300, kScaleOne, 300},          {255, kScaleOne, 255},        {-7, kScaleOne, -7},
        {110, kScaleOne * 5 / 4, 138},  {15, kScaleOne * 3 / 2, 23},  {-15, kScaleOne * 3 / 2, -23},
        {0, kScaleMost, 0},             {32767, kScaleMost, 524272},
    };
    for (const Row& r : rows) EXPECT_EQ(r.scaled, scale_length(r.length, r.factor)) << r.length;
}
}  // namespace
