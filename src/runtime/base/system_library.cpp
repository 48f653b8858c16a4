// Late binding to system libraries, kept loaded until the process ends.
#include "runtime/base/system_library.h"

FARPROC system_function(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    return module ? GetProcAddress(module, name) : 0;
}
