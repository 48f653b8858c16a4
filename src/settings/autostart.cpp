// "Start automatically": keeps a plain copy of Norvane.exe in the all-users Startup folder,
// refreshed on every apply with the box ticked and deleted on every apply without it.
#include "settings/autostart.h"

#include <windows.h>

#include "app/app_state.h"
#include "runtime/base/strings.h"
#include "settings/autostart_paths.h"

namespace {
const DWORD kCurrentDirectorySize = 255;
const unsigned kLargestVariable = 512;

// The Startup folder's path as a scratch argument, or null when its variable is not set or
// does not fit: a path built from nothing would name a folder relative to wherever we are.
char* startup_target() {
    const AutostartFolder& folder = autostart_folder(app.os_code);
    char value[kLargestVariable];
    const DWORD length = GetEnvironmentVariableA(folder.variable, value, folder.buffer_size);
    if (length == 0 || length >= folder.buffer_size) return 0;
    return scratch_argument(compose_autostart_target(value, app.os_code));
}

// The source file as a scratch argument, or null when the current directory cannot be read.
char* program_source() {
    char directory[kCurrentDirectorySize];
    const DWORD length = GetCurrentDirectoryA(kCurrentDirectorySize, directory);
    if (length == 0 || length >= kCurrentDirectorySize) return 0;
    return scratch_argument(compose_autostart_source(directory));
}
}  // namespace

void install_autostart() {
    char* start = scratch_position;
    char* source = program_source();
    char* target = source ? startup_target() : 0;
    // An existing copy is replaced, so each apply refreshes it.
    if (target) CopyFileA(source, target, FALSE);
    scratch_rewind(start);
}

void remove_autostart() {
    char* start = scratch_position;
    char* target = startup_target();
    if (target) DeleteFileA(target);
    scratch_rewind(start);
}
