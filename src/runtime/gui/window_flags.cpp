// Window flags to window style: the two centring bits and the hidden bit are the runtime's own,
// every other bit is passed on as a platform window style bit. Also the centring arithmetic.
#include "runtime/gui/window_flags.h"

namespace {
// The platform's values of WS_CAPTION, WS_VISIBLE and WS_MAXIMIZE (this module sees no
// platform header). Invisible has the value of WS_VISIBLE: the bit means the opposite here.
const unsigned long kStyleCaption = 0x00C00000UL;
const unsigned long kStyleVisible = 0x10000000UL;
const unsigned long kStyleMaximize = 0x01000000UL;
}  // namespace

WindowStyleChoice translate_window_flags(unsigned long flags) {
    WindowStyleChoice choice = {0, CentreNone, false};
    if (flags & ScreenCentered) {
        flags &= ~static_cast<unsigned long>(ScreenCentered);
        choice.centring = CentreScreen;
    }
    // With both bits set the active window wins.
    if (flags & ActiveWindowCentered) {
        flags &= ~static_cast<unsigned long>(ActiveWindowCentered);
        choice.centring = CentreActiveWindow;
    }
    // A window asked for with no style of its own gets a caption bar.
    if (flags == 0 || flags == Invisible) flags |= kStyleCaption;
    if (flags & Invisible) {
        flags &= ~static_cast<unsigned long>(Invisible);
    } else {
        flags |= kStyleVisible;
        choice.maximize = (flags & kStyleMaximize) != 0;
    }
    choice.style = flags;
    return choice;
}

int centre_on_screen(int size, int screen_size) {
    const int clamped = size < screen_size ? size : screen_size;
    // Halving each term separately keeps every value within range, whatever the input.
    return (screen_size >> 1) - (clamped >> 1);
}

int centre_over(int low, int high, int size) {
    // Wide arithmetic: extreme coordinates cannot overflow.
    long long position = low + ((static_cast<long long>(high) - low) >> 1) - (size >> 1);
    if (position < 0) return 0;
    if (position > 0x7fffffffLL) return 0x7fffffff;
    return static_cast<int>(position);
}
