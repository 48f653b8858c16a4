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

char* compose_autostart_source(const char* current_directory) {
    char* start = append_text(current_directory);
    const unsigned length = text_length(current_directory);
    if (length == 0 || current_directory[length - 1] != '\\') append_text("\\");
    append_text(kProgramFile);
    return start;
}

char* compose_autostart_target(const char* variable_value, int os_code) {
    char* start = append_text(variable_value);
    append_text(autostart_folder(os_code).appended);
    return start;
}
