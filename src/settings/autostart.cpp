// "Start automatically": keeps a copy of the running program, named Norvane.exe, in a Startup
// folder the shell starts programs from at logon: the all-users one where this process may write
// there, else the current user's own. Unticking deletes it from both.
#include "settings/autostart.h"

#include <windows.h>

#include "app/app_state.h"
#include "identity/os_family.h"
#include "runtime/base/strings.h"
#include "runtime/base/system_library.h"
#include "settings/autostart_paths.h"
#include "settings/autostart_place.h"

namespace {
const unsigned kLargestVariable = 512;
const DWORD kPathSize = MAX_PATH;
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// TOKEN_INFORMATION_CLASS member from Windows Vista on; older headers stop before it.
const int kTokenVirtualizationEnabled = 24;

// Bound late: the special-folder call came with the Internet Explorer 4 shell, the folder library
// is a redistributable, and the token calls are stubs on the Windows 95 family.
typedef BOOL(WINAPI* SpecialFolderPathFunction)(HWND, LPSTR, int, BOOL);
typedef HRESULT(WINAPI* FolderPathFunction)(HWND, int, HANDLE, DWORD, LPSTR);
typedef BOOL(WINAPI* OpenProcessTokenFunction)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* GetTokenInformationFunction)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);

// The shell's answer for a special folder, into kPathSize bytes; false where it has none.
bool special_folder(int folder_id, char* folder) {
    SpecialFolderPathFunction special = system_function_as<SpecialFolderPathFunction>("shell32.dll", "SHGetSpecialFolderPathA");
    if (special && special(0, folder, folder_id, FALSE) && folder[0]) return true;
    FolderPathFunction path = system_function_as<FolderPathFunction>("shfolder.dll", "SHGetFolderPathA");
    folder[0] = '\0';
    return path && path(0, folder_id, 0, 0, folder) == S_OK && folder[0];
}

// A folder the shell recorded as a plain string value, into kPathSize bytes.
bool recorded_folder(const RecordedFolder& recorded, char* folder) {
    HKEY key;
    if (RegOpenKeyExA(recorded.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kShellFolders, 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = kPathSize - 1;
    const LONG result = RegQueryValueExA(key, recorded.value, 0, &type, reinterpret_cast<BYTE*>(folder), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    folder[size] = '\0';  // a value stored without its NUL ends where its count says
    return folder[0] != '\0';
}

// Norvane.exe in the folder the system names, as a scratch argument; null where it names none.
char* recorded_target(const StartupFolderQuery& query) {
    char folder[kPathSize] = "";
    bool found = special_folder(query.folder_id, folder);
    for (const RecordedFolder& recorded : query.recorded) {
        if (!found && recorded.value) found = recorded_folder(recorded, folder);
    }
    return found ? scratch_argument(compose_startup_file(folder)) : 0;
}

// The all-users copy's path: where the system records the folder, else built from the
// environment; null when neither gives one.
char* all_users_target() {
    char* target = recorded_target(all_users_startup_query(app.os_code));
    if (target) return target;
    const AutostartFolder& folder = autostart_folder(app.os_code);
    char value[kLargestVariable];
    const DWORD length = GetEnvironmentVariableA(folder.variable, value, folder.buffer_size);
    // A path built from nothing would name a folder relative to wherever we are.
    if (length == 0 || length >= folder.buffer_size) return 0;
    return scratch_argument(compose_autostart_target(value, app.os_code));
}

// The running program's own file as a scratch argument; null when its name does not fit.
char* program_file() {
    char path[kPathSize];
    const DWORD length = GetModuleFileNameA(0, path, kPathSize);
    if (length == 0 || length >= kPathSize - 1) return 0;
    path[length] = '\0';
    return scratch_argument(append_text(path));
}

// Whether this process's writes into protected folders go to the user's VirtualStore.
bool writes_virtualized() {
    OpenProcessTokenFunction open = system_function_as<OpenProcessTokenFunction>("advapi32.dll", "OpenProcessToken");
    GetTokenInformationFunction query = system_function_as<GetTokenInformationFunction>("advapi32.dll", "GetTokenInformation");
    HANDLE token = 0;
    if (!open || !query || !open(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD enabled = 0, size = 0;
    const BOOL known = query(token, static_cast<TOKEN_INFORMATION_CLASS>(kTokenVirtualizationEnabled), &enabled,
                             sizeof enabled, &size);
    CloseHandle(token);
    return known && enabled != 0;
}

HANDLE open_to_identify(const char* path) {
    return path ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0)
                : INVALID_HANDLE_VALUE;
}

// Whether two paths name one file, however each is spelled (long or short names, case). Both
// stay open while they are compared: a file's number holds only while the file is open.
bool same_file(const char* a, const char* b) {
    HANDLE first = open_to_identify(a), second = open_to_identify(b);
    BY_HANDLE_FILE_INFORMATION x, y;
    const bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
                      GetFileInformationByHandle(first, &x) && GetFileInformationByHandle(second, &y) &&
                      (x.nFileIndexHigh || x.nFileIndexLow) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
                      x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    if (first != INVALID_HANDLE_VALUE) CloseHandle(first);
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    return same;
}

// A program downloaded with a browser carries the web's mark in a stream of its file, and
// copying takes the stream along; the shell then asks at every logon whether to run the copy.
// The mark is taken off the copy alone. File systems without streams (FAT, the Windows 95
// family's) have no mark to take, and a mark that stays only brings the question back.
void remove_web_mark(const char* copy) {
    if (is_windows95_family(app.os_code)) return;
    static const char kWebMark[] = ":Zone.Identifier";
    char* stream = append_text(copy);
    append_text(kWebMark);
    // A name cut short by a full scratch could name another file.
    if (text_length(stream) == text_length(copy) + sizeof kWebMark - 1) DeleteFileA(stream);
    scratch_rewind(stream);
}

StartupCopy copy_program(const char* program, const char* target) {
    if (!target) return StartupCopyFailed;
    // Copying the running program onto itself fails, and the copy that runs stays.
    if (same_file(program, target)) return StartupCopyIsProgram;
    // An existing copy is replaced, so each apply refreshes it.
    if (!CopyFileA(program, target, FALSE)) return StartupCopyFailed;
    remove_web_mark(target);
    return StartupCopyMade;
}

// Deletes an earlier copy, unless the other folder's name leads to this very file. The running
// program's own file is left to the system, which refuses to delete it while it runs.
void delete_copy(const char* target, const char* kept) {
    if (target && !same_file(target, kept)) DeleteFileA(target);
}
}  // namespace

void install_autostart() {
    char* start = scratch_position;
    char* program = program_file();
    if (program) {
        const bool virtualized = writes_virtualized();
        char* all_users = 0;
        StartupCopy copy = StartupCopyNotTried;
        if (autostart_place(app.os_code, copy, virtualized) == AutostartTryAllUsers) {
            all_users = all_users_target();
            copy = copy_program(program, all_users);
        }
        char* user = recorded_target(user_startup_query());
        // The all-users copy starts at this user's logon too: a second one would start it twice.
        if (autostart_place(app.os_code, copy, virtualized) == AutostartAllUsers) delete_copy(user, all_users);
        else copy_program(program, user);
    }
    scratch_rewind(start);
}

void remove_autostart() {
    char* start = scratch_position;
    delete_copy(all_users_target(), 0);
    delete_copy(recorded_target(user_startup_query()), 0);
    scratch_rewind(start);
}
