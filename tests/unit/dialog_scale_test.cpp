// The dialogs' scale factors: base units, widening to hold a measured need, and rounding.
#include <gtest/gtest.h>

#include "dialogs/dialog_scale.h"

namespace {
TEST(DialogScale, BaseUnitsGiveTheFactorNeverBelowOneNorAboveTheCeiling) {
    struct Row { int measured, laid_out, factor; } rows[] = {
        {6, 6, kScaleOne}, {12, 13, kScaleOne}, {8, 6, kScaleOne * 4 / 3}, {26, 13, 2 * kScaleOne},
        {0, 6, kScaleOne}, {-5, 6, kScaleOne},  {6, 0, kScaleOne},         {1 << 30, 1, kScaleMost},
    };
    for (const Row& r : rows) EXPECT_EQ(r.factor, unit_factor(r.measured, r.laid_out)) << r.measured << "/" << r.laid_out;
    EXPECT_EQ(-23, scale_length(-15, kScaleOne * 3 / 2)) << "halves round away from zero";
}

TEST(DialogScale, AWidenedFactorIsTheLeastThatMakesTheLengthHoldItsNeed) {
    for (int length = 1; length <= 320; length += 7) {
        for (int needed = 0; needed <= 3 * length; needed += 3) {
            for (int factor : {kScaleOne, kScaleOne * 5 / 4, 2 * kScaleOne}) {
                const int widened = factor_to_hold(factor, length, needed);
                const long long wanted = static_cast<long long>(needed) * kScaleOne;
                ASSERT_GE(scale_length(length, widened), needed) << length << " for " << needed;
                if (static_cast<long long>(length) * factor >= wanted) ASSERT_EQ(factor, widened);
                else ASSERT_LT(static_cast<long long>(length) * (widened - 1), wanted);
            }
        }
        ASSERT_EQ(length, scale_length(length, kScaleOne));
    }
    EXPECT_EQ(kScaleOne, factor_to_hold(kScaleOne, 0, 50)) << "a length of nothing";
    EXPECT_EQ(kScaleMost, factor_to_hold(kScaleOne, 1, 1 << 30)) << "an absurd need meets the ceiling";
}
// The 32-bit pieces give what the arithmetic does at full width, over the whole range of int.
TEST(DialogScale, ScaledLengthsAndFactorsAgreeWithWideArithmetic) {
    auto wide_length = [](long long length, long long factor) {
        const long long scaled = length * factor, half = kScaleOne / 2;
        const long long n = scaled >= 0 ? (scaled + half) / kScaleOne : -((-scaled + half) / kScaleOne);
        return static_cast<int>(n > 0x7fffffff ? 0x7fffffff : n < -0x7fffffff ? -0x7fffffff : n);
    };
    for (long long length = -0x7fffffffLL; length <= 0x7fffffffLL; length += length > -5000 && length < 5000 ? 1 : 65521) {
        for (int factor : {kScaleOne, kScaleOne + 1, kScaleOne * 4 / 3, 5461, 3 * kScaleOne - 1, kScaleMost}) {
            ASSERT_EQ(wide_length(length, factor), scale_length(static_cast<int>(length), factor)) << length << " at " << factor;
        }
        if (length > 0) {
            const long long down = length * kScaleOne / 977, up = (length * kScaleOne + 976) / 977;
            ASSERT_EQ(static_cast<int>(down < kScaleOne ? kScaleOne : down > kScaleMost ? kScaleMost : down), unit_factor(static_cast<int>(length), 977));
            ASSERT_EQ(static_cast<int>(up < kScaleOne ? kScaleOne : up > kScaleMost ? kScaleMost : up), factor_to_hold(kScaleOne, 977, static_cast<int>(length)));
        }
    }
}
}  // namespace
