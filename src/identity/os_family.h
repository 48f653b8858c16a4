// The Windows version, classified once at start-up into a small code that the rest of the
// program compares against (registry keys, disabled controls, the Startup folder).
#pragma once

enum OsFamily {
    OsWindowsNT3 = 5,
    OsWindows95 = 10,
    OsWindowsNT4 = 20,
    OsWindows98 = 30,
    OsWindowsMe = 40,
    OsWindows2000 = 50,
    OsWindowsXP = 60,
    OsWindows2003 = 65,
    OsUnknown = 100,
};

// Pure classification of GetVersionExA's platform id, major and minor version.
int classify_version(unsigned long platform_id, unsigned long major, unsigned long minor);
// Asks the system; 100 when the version cannot be read.
int classify_windows_version();

// The Windows 95, 98 and Me family, and NT 3.x / 4.0: tested by listing the codes.
inline bool is_windows95_family(int code) { return code == 10 || code == 30 || code == 40; }
inline bool is_early_nt(int code) { return code == 5 || code == 20; }
