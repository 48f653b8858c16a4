// Identity probes: environment, Windows directory, registry computer name, Windows version.
#include "identity/identity.h"

#include <windows.h>

#include "identity/os_family.h"

namespace {
const int kEnvironmentBuffer = 256;
const int kRegistryBuffer = 255;
const char kComputerNameKey95[] = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP\\";
const char kComputerNameKeyNT[] = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName\\";

// Reads a text that the system copies into a caller's buffer and whose full length it reports
// when the buffer is too small. An unset or unreadable value is the empty text; a long one is
// read whole, as far as the scratch buffer has room.
template <typename Read>
char* read_system_text(Read read) {
    char* buffer = spaces_text(kEnvironmentBuffer);
    scratch_rewind(buffer);
    unsigned long length = read(buffer, kEnvironmentBuffer);
    if (length >= static_cast<unsigned long>(kEnvironmentBuffer)) {
        unsigned long room = static_cast<unsigned long>(scratch_room());
        if (length >= room) length = room;
        length = read(buffer, length);
        if (length >= static_cast<unsigned long>(scratch_room())) length = 0;
    }
    return commit_scratch_text(static_cast<int>(length));
}
}  // namespace

char* read_environment_text(const char* name) {
    return read_system_text([name](char* buffer, unsigned long size) {
        return static_cast<unsigned long>(GetEnvironmentVariableA(name, buffer, size));
    });
}

char* read_windows_directory() {
    return read_system_text([](char* buffer, unsigned long size) {
        return static_cast<unsigned long>(GetWindowsDirectoryA(buffer, size));
    });
}

char* read_registry_string(void* root_key, const char* subkey, const char* value_name) {
    HKEY key;
    if (RegOpenKeyExA(static_cast<HKEY>(root_key), subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    char* buffer = spaces_text(kRegistryBuffer);
    scratch_rewind(buffer);
    DWORD size = kRegistryBuffer;
    LONG result = RegQueryValueExA(key, value_name, 0, 0, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    // The count includes the value's terminating NUL; the count is used, not the first NUL.
    int length = result == ERROR_SUCCESS ? static_cast<int>(size) - 1 : 0;
    return commit_scratch_text(length > 0 ? length : 0);
}

char* read_computer_name(int os_code) {
    const char* subkey = is_windows95_family(os_code) ? kComputerNameKey95 : kComputerNameKeyNT;
    return read_registry_string(HKEY_LOCAL_MACHINE, subkey, "ComputerName");
}

int classify_windows_version() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) return OsUnknown;
    return classify_version(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
