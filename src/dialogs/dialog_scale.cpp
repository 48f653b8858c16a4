// Fixed-point factors of the dialogs' scale, worked out within 32 bits, so that neither a large
// measurement nor a negative position overflows.
#include "dialogs/dialog_scale.h"

namespace {
const int kMostTimes = kScaleMost / kScaleOne;

int clamp_factor(unsigned factor) {
    if (factor < static_cast<unsigned>(kScaleOne)) return kScaleOne;
    if (factor > static_cast<unsigned>(kScaleMost)) return kScaleMost;
    return static_cast<int>(factor);
}

// part * kScaleOne / whole as a factor, rounded down or up, for 0 < whole; anything beyond the
// ceiling gives one more than it. The fraction is found a bit at a time, so that nothing leaves
// 32 bits (a wider division would pull the compiler's own routines into the program).
unsigned fixed_ratio(unsigned part, unsigned whole, bool round_up) {
    const unsigned times = part / whole;
    if (times > static_cast<unsigned>(kMostTimes)) return kScaleMost + 1u;
    unsigned rest = part % whole, fraction = 0;
    for (unsigned bit = kScaleOne / 2; bit; bit /= 2) {
        rest *= 2;  // below twice whole, which is below 2^32
        if (rest >= whole) {
            rest -= whole;
            fraction |= bit;
        }
    }
    return times * kScaleOne + fraction + (round_up && rest ? 1 : 0);
}

unsigned magnitude(int n) { return n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n); }
}  // namespace

int unit_factor(int measured, int laid_out) {
    if (measured <= 0 || laid_out <= 0) return kScaleOne;
    return clamp_factor(fixed_ratio(static_cast<unsigned>(measured), static_cast<unsigned>(laid_out), false));
}

int factor_to_hold(int factor, int length, int needed) {
    if (length <= 0 || needed <= 0) return clamp_factor(static_cast<unsigned>(factor));
    const unsigned wanted = fixed_ratio(static_cast<unsigned>(needed), static_cast<unsigned>(length), true);
    return clamp_factor(wanted > static_cast<unsigned>(factor) ? wanted : static_cast<unsigned>(factor));
}

int scale_length(int length, int factor) {
    // length * factor / kScaleOne in pieces that stay within 32 bits: the factor's whole times,
    // then its fraction against the length's high and low parts; halves round away from zero, so
    // that a position and its mirror image stay symmetric. A result beyond int saturates.
    const unsigned n = magnitude(length), times = static_cast<unsigned>(factor) / kScaleOne;
    const unsigned fraction = static_cast<unsigned>(factor) % kScaleOne;
    const unsigned high = n / kScaleOne, low = n % kScaleOne;
    const unsigned most = 0x7fffffffu;
    if (times && n > most / times) return length < 0 ? -0x7fffffff : 0x7fffffff;
    unsigned scaled = n * times;
    const unsigned parts[] = {high * fraction, (low * fraction + kScaleOne / 2) / kScaleOne};
    for (unsigned part : parts) {
        if (part > most - scaled) return length < 0 ? -0x7fffffff : 0x7fffffff;
        scaled += part;
    }
    return length < 0 ? -static_cast<int>(scaled) : static_cast<int>(scaled);
}
