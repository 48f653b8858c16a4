// Where the autostart copy goes for every Windows version, all-users result and virtualization,
// and how each Startup folder is looked up.
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

TEST(AutostartPlace, FoldersAreAskedOfTheShellThenOfTheRecordedValues) {
    for (int code : kCodes) {
        const StartupFolderQuery& all = all_users_startup_query(code);
        const bool windows95 = code == 10 || code == 30 || code == 40;
        EXPECT_EQ(kFolderCommonStartup, all.folder_id) << code;
        EXPECT_TRUE(all.recorded[0].machine) << code;
        EXPECT_STREQ("Common Startup", all.recorded[0].value) << code;
        // Only the Windows 95 family falls back on its one "Startup" folder.
        EXPECT_STREQ(windows95 ? "Startup" : nullptr, all.recorded[1].value) << code;
        EXPECT_FALSE(all.recorded[1].machine) << code;
    }
    const StartupFolderQuery& user = user_startup_query();
    EXPECT_EQ(kFolderStartup, user.folder_id);
    EXPECT_FALSE(user.recorded[0].machine);
    EXPECT_STREQ("Startup", user.recorded[0].value);
    EXPECT_EQ(nullptr, user.recorded[1].value);
}
}  // namespace
