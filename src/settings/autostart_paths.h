// Where the autostart copy of Norvane.exe lives: the Startup folder row chosen by the Windows
// version code, and the source and target paths built from the platform's answers.
#pragma once

struct AutostartFolder {
    const char* variable;     // environment variable that names the folder's root
    unsigned buffer_size;     // bytes the variable's value may take, its NUL included
    const char* appended;     // the rest of the target path, beginning with a backslash
};

// Windows 95, 98 and Me; NT 3.x and 4.0; every other code (2000 and later, unrecognised).
const AutostartFolder& autostart_folder(int os_code);

// Scratch texts. The source is the fixed file name in the current directory, with one
// backslash between them; the target is the variable's value followed by the folder row's text.
char* compose_autostart_source(const char* current_directory);
char* compose_autostart_target(const char* variable_value, int os_code);
