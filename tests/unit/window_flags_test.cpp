// Window flags to style and centring, and the centring arithmetic.
#include "runtime/gui/window_flags.h"

#include <gtest/gtest.h>

#include <climits>

namespace {
const unsigned long kCaption = 0x00C00000UL, kVisible = 0x10000000UL, kPopup = 0x80000000UL;
const unsigned long kSysMenu = 0x00080000UL, kMaximize = 0x01000000UL;
}  // namespace

TEST(WindowFlagsTest, TranslatesFlagsIntoStyleCentringAndMaximise) {
    struct Row {
        unsigned long flags, style;
        CentringMode centring;
        bool maximize;
    } rows[] = {
        {0x00000000, kCaption | kVisible, CentreNone, false},
        {0x10000000, kCaption, CentreNone, false},                  // hidden, captioned
        {0x90000000, kPopup, CentreNone, false},                    // hidden popup, no caption
        {0x10000001, kCaption, CentreScreen, false},                // the dialogs
        {0x00000001, kCaption | kVisible, CentreScreen, false},
        {0x00000002, kCaption | kVisible, CentreActiveWindow, false},
        {0x00000003, kCaption | kVisible, CentreActiveWindow, false},  // the active window wins
        {0x10000003, kCaption, CentreActiveWindow, false},
        {0x80000001, kPopup | kVisible, CentreScreen, false},
        {kSysMenu, kSysMenu | kVisible, CentreNone, false},         // any style: no caption added
        {kMaximize, kMaximize | kVisible, CentreNone, true},
        {kMaximize | 0x10000000, kMaximize, CentreNone, false},     // hidden is never maximised
        {kCaption | kSysMenu | 0x2, kCaption | kSysMenu | kVisible, CentreActiveWindow, false},
    };
    for (const Row& r : rows) {
        WindowStyleChoice c = translate_window_flags(r.flags);
        EXPECT_EQ(r.style, c.style) << std::hex << "flags 0x" << r.flags;
        EXPECT_EQ(r.centring, c.centring) << std::hex << "flags 0x" << r.flags;
        EXPECT_EQ(r.maximize, c.maximize) << std::hex << "flags 0x" << r.flags;
    }
}

TEST(WindowFlagsTest, CentresOnTheScreenWithTheSizeClampedToIt) {
    struct Row { int size, screen, position; } rows[] = {
        {306, 1024, 359},
        {307, 1024, 359},   // halves drop their remainders separately
        {1024, 1024, 0},
        {1500, 1024, 0},    // wider than the screen: flush left, the window keeps its size
        {1500, 1023, 0},
        {0, 768, 384},
        {-5, 100, 53},      // -5 >> 1 is -3, not -2
        {INT_MIN, INT_MAX, INT_MAX},  // extremes stay in range
        {INT_MAX, INT_MIN, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.position, centre_on_screen(r.size, r.screen)) << r.size << " on " << r.screen;
    }
}

TEST(WindowFlagsTest, CentresOverAWindowNeverLeftOfZero) {
    struct Row { int low, high, size, position; } rows[] = {
        {100, 301, 51, 175},
        {200, 500, 300, 200},
        {0, 100, 300, 0},          // bigger than the window it centres over: clamped at 0
        {-101, 99, -50, 24},       // -101 + 100 + 25
        {-7, 10, -3, 3},           // -7 + 8 + 2, arithmetic shifts
        {10, 5, 0, 7},             // a reversed span: -5 >> 1 is -3
        {INT_MIN, INT_MAX, 0, 0},
        {INT_MAX, INT_MAX, INT_MIN, INT_MAX},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.position, centre_over(r.low, r.high, r.size)) << r.low << ".." << r.high << " size " << r.size;
    }
}
