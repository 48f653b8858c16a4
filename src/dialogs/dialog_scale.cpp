// Fixed-point factors of the dialogs' scale: wide intermediate arithmetic, so that neither a
// large measurement nor a negative position overflows.
#include "dialogs/dialog_scale.h"

namespace {
int clamp_factor(long long factor) {
    if (factor < kScaleOne) return kScaleOne;
    if (factor > kScaleMost) return kScaleMost;
    return static_cast<int>(factor);
}
}  // namespace

int unit_factor(int measured, int laid_out) {
    if (measured <= 0 || laid_out <= 0) return kScaleOne;
    return clamp_factor(static_cast<long long>(measured) * kScaleOne / laid_out);
}

int factor_to_hold(int factor, int length, int needed) {
    if (length <= 0 || needed <= 0) return clamp_factor(factor);
    const long long wanted = (static_cast<long long>(needed) * kScaleOne + length - 1) / length;
    return clamp_factor(wanted > factor ? wanted : factor);
}

int scale_length(int length, int factor) {
    const long long scaled = static_cast<long long>(length) * factor;
    // Halves round away from zero, so that a position and its mirror image stay symmetric.
    const long long half = kScaleOne / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kScaleOne : -((-scaled + half) / kScaleOne));
}
