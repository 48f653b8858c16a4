// Autostart decisions (see autostart_place.h): pure answers from the version code and from what
// the platform reported; no file or registry is touched here.
#include "settings/autostart_place.h"

#include "identity/os_family.h"

namespace {
// The Windows 95 family records its one Startup folder per user profile, which without
// profiles is the machine's: its "Startup" value stands where NT keeps "Common Startup".
const StartupFolderQuery kAllUsersQuery = {kFolderCommonStartup, {{true, "Common Startup"}, {false, 0}}};
const StartupFolderQuery kAllUsers95Query = {kFolderCommonStartup, {{true, "Common Startup"}, {false, "Startup"}}};
const StartupFolderQuery kUserQuery = {kFolderStartup, {{false, "Startup"}, {false, 0}}};

// File virtualization came with Windows Vista, which classifies as a newer version.
bool has_file_virtualization(int os_code) {
    return !is_windows95_family(os_code) && !is_early_nt(os_code) && os_code != OsWindows2000 &&
           os_code != OsWindowsXP && os_code != OsWindows2003;
}
}  // namespace

AutostartPlace autostart_place(int os_code, StartupCopy all_users, bool virtualized) {
    switch (all_users) {
    case StartupCopyNotTried:
        // A virtualized copy would land in the user's VirtualStore, which the shell never starts.
        return virtualized && has_file_virtualization(os_code) ? AutostartCurrentUser : AutostartTryAllUsers;
    case StartupCopyFailed:
        return AutostartCurrentUser;
    default:
        // Made, or the program already runs from there: one copy at each logon is enough.
        return AutostartAllUsers;
    }
}

const StartupFolderQuery& all_users_startup_query(int os_code) {
    return is_windows95_family(os_code) ? kAllUsers95Query : kAllUsersQuery;
}

const StartupFolderQuery& user_startup_query() { return kUserQuery; }
