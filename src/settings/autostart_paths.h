// Paths of the autostart copy of Norvane.exe: the file in a Startup folder the system names, and
// the all-users folder's path built from the environment where the system names none.
#pragma once

struct AutostartFolder {
    const char* variable;     // environment variable that names the folder's root
    unsigned buffer_size;     // bytes the variable's value may take, its NUL included
    const char* appended;     // the rest of the target path, beginning with a backslash
};

// Windows 95, 98 and Me; NT 3.x and 4.0; every other code (2000 and later, unrecognised).
const AutostartFolder& autostart_folder(int os_code);

// Scratch texts. The file is Norvane.exe in the folder, with one backslash between them; the
// target is the variable's value followed by the folder row's text.
char* compose_startup_file(const char* folder);
char* compose_autostart_target(const char* variable_value, int os_code);
