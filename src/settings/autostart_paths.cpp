// Autostart paths (see autostart_paths.h): pure text composition, no file is touched.
#include "settings/autostart_paths.h"

#include "identity/os_family.h"
#include "runtime/base/strings.h"

namespace {
const char kProgramFile[] = "Norvane.exe";

const AutostartFolder kWindows95Folder = {"winbootdir", 256, "\\StartM~1\\Programs\\Startup\\Norvane.exe"};
const AutostartFolder kEarlyNtFolder = {"windir", 256, "\\Profiles\\All Users\\Start Menu\\Programs\\Startup\\Norvane.exe"};
const AutostartFolder kAllUsersFolder = {"ALLUSERSPROFILE", 512, "\\Start Menu\\Programs\\Startup\\Norvane.exe"};
}  // namespace

const AutostartFolder& autostart_folder(int os_code) {
    // Install and remove both ask here, so a remove always finds what an install wrote.
    if (is_windows95_family(os_code)) return kWindows95Folder;
    if (is_early_nt(os_code)) return kEarlyNtFolder;
    return kAllUsersFolder;
}

char* compose_startup_file(const char* folder) {
    char* start = append_text(folder);
    const unsigned length = text_length(folder);
    // Behind a non-ASCII byte a backslash may be the second byte of a double-byte character
    // (Shift JIS, GBK, Big5): a doubled separator is harmless, a missing one is not.
    const bool separated = length > 0 && folder[length - 1] == '\\' &&
                           (length == 1 || static_cast<unsigned char>(folder[length - 2]) < 0x80);
    if (!separated) append_text("\\");
    append_text(kProgramFile);
    return start;
}

char* compose_autostart_target(const char* variable_value, int os_code) {
    char* start = append_text(variable_value);
    append_text(autostart_folder(os_code).appended);
    return start;
}
