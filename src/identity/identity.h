// Machine identity gathered once at start-up: computer name, domain, user, primary address,
// and the Windows directory, read through space-filled buffers as the platform fills them.
#pragma once

#include "runtime/base/strings.h"

struct IdentityInfo {
    String computer_name;
    String domain_name;
    String user_name;
    String ip_address;
};

// The value of one environment variable; the empty text when it is unset or unreadable.
char* read_environment_text(const char* name);
// The Windows directory, read the same way.
char* read_windows_directory();
// Texts produced above are scratch texts; callers store them. read_registry_string sounds an
// exclamation beep and returns null when the key cannot be opened; the caller decides to end.
char* read_registry_string(void* root_key, const char* subkey, const char* value_name);
char* read_computer_name(int os_code);
