// The Startup folders this prefix records under "Shell Folders": shared by the Win32 and
// end-to-end tests of "Start automatically".
#pragma once

#include <windows.h>

#include <string>

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The all-users "Common Startup" folder or the user's "Startup" folder; empty where none is.
inline std::string recorded_startup_folder(bool all_users) {
    char folder[MAX_PATH] = "";
    DWORD size = sizeof folder - 1;
    HKEY key;
    if (RegOpenKeyExA(all_users ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return "";
    RegQueryValueExA(key, all_users ? "Common Startup" : "Startup", 0, 0, reinterpret_cast<BYTE*>(folder), &size);
    RegCloseKey(key);
    return folder;
}
