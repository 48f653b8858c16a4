// Classification of the Windows version numbers into OsFamily codes.
#include "identity/os_family.h"

namespace {
const unsigned long kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
const unsigned long kPlatformNT = 2;       // VER_PLATFORM_WIN32_NT

int classify_windows_family(unsigned long minor) {
    switch (minor) {
    case 0: return OsWindows95;
    case 10: return OsWindows98;
    case 90: return OsWindowsMe;
    default: return OsUnknown;
    }
}

int classify_nt(unsigned long major, unsigned long minor) {
    if (major == 3) return OsWindowsNT3;
    if (major == 4) return OsWindowsNT4;
    if (major != 5) return OsUnknown;
    switch (minor) {
    case 0: return OsWindows2000;
    case 1: return OsWindowsXP;
    case 2: return OsWindows2003;
    default: return OsUnknown;
    }
}
}  // namespace

int classify_version(unsigned long platform_id, unsigned long major, unsigned long minor) {
    if (platform_id == kPlatformWindows) return classify_windows_family(minor);
    if (platform_id == kPlatformNT) return classify_nt(major, minor);
    return OsUnknown;
}
