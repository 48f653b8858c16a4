// Where the autostart copy goes for every Windows version, all-users result and virtualization.
#include <gtest/gtest.h>

#include "settings/autostart_place.h"

namespace {
const int kCodes[] = {5, 10, 20, 30, 40, 50, 60, 65, 100, 0, -1};

// Vista and later classify as 100; codes outside the table count as such a newer system.
bool virtualizing(int code) { return code == 100 || code == 0 || code == -1; }

TEST(AutostartPlace, EveryVersionResultAndVirtualization) {
    struct Row { StartupCopy copy; bool virtualized; bool virtualizing; AutostartPlace place; } rows[] = {
        // Tried first wherever writes are real; a virtualized process goes straight to its own folder.
        {StartupCopyNotTried, false, false, AutostartTryAllUsers},
        {StartupCopyNotTried, false, true, AutostartTryAllUsers},
        {StartupCopyNotTried, true, false, AutostartTryAllUsers},
        {StartupCopyNotTried, true, true, AutostartCurrentUser},
        // After the attempt only its result counts.
        {StartupCopyMade, false, false, AutostartAllUsers},
        {StartupCopyMade, false, true, AutostartAllUsers},
        {StartupCopyIsProgram, false, false, AutostartAllUsers},
        {StartupCopyIsProgram, false, true, AutostartAllUsers},
        {StartupCopyFailed, false, false, AutostartCurrentUser},
        {StartupCopyFailed, false, true, AutostartCurrentUser},
    };
    for (int code : kCodes) {
        for (const Row& r : rows) {
            if (r.virtualizing != virtualizing(code)) continue;
            EXPECT_EQ(r.place, autostart_place(code, r.copy, r.virtualized))
                << "code " << code << " copy " << r.copy << " virtualized " << r.virtualized;
        }
    }
}
}  // namespace
