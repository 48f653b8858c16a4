// Where "Start automatically" puts its copy: how the system is asked for each Startup folder,
// and whether the copy goes to all users or to the current user alone, decided from the Windows
// version, what became of the all-users copy and whether the process's writes are virtualized.
#pragma once

// What became of a copy of the program into a Startup folder.
enum StartupCopy {
    StartupCopyNotTried,
    StartupCopyMade,
    StartupCopyFailed,
    StartupCopyIsProgram,  // the folder's Norvane.exe is the running program itself
};

enum AutostartPlace {
    AutostartTryAllUsers,  // copy into the all-users folder, then ask again with the result
    AutostartAllUsers,     // the all-users folder holds the copy
    AutostartCurrentUser,  // the copy belongs in the current user's own folder
};

// Asked first with StartupCopyNotTried, then with the all-users copy's result where it was tried.
AutostartPlace autostart_place(int os_code, StartupCopy all_users, bool virtualized);

// The shell's special-folder numbers; the Windows 95 headers lack the all-users one.
enum ShellFolderId {
    kFolderStartup = 0x0007,        // CSIDL_STARTUP
    kFolderCommonStartup = 0x0018,  // CSIDL_COMMON_STARTUP
};

// A folder the shell recorded under "Shell Folders": the value's name, under the machine's key
// or the current user's.
struct RecordedFolder {
    bool machine;
    const char* value;
};

// How the system is asked where a Startup folder is: its special-folder call with this number,
// then the recorded values in order (a null value ends the list).
struct StartupFolderQuery {
    int folder_id;
    RecordedFolder recorded[2];
};

const StartupFolderQuery& all_users_startup_query(int os_code);
const StartupFolderQuery& user_startup_query();
