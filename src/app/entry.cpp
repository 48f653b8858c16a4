// The process entry: no C runtime start-up, no command-line parsing.
#include <windows.h>

#include "app/program.h"

extern "C" void entry() {
    HINSTANCE module = GetModuleHandleA(0);
    char* command_line = GetCommandLineA();
    ExitProcess(program_main(module, 0, command_line, SW_SHOWDEFAULT));
}
