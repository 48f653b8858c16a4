// Late binding to system libraries, kept loaded until the process ends.
#include "runtime/base/system_library.h"

FARPROC system_function(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) {
        // A library that is missing, or that cannot load, is a failed lookup and nothing more:
        // the system is told not to put up a box about it.
        UINT before = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        module = LoadLibraryA(library);
        SetErrorMode(before);
    }
    return module ? GetProcAddress(module, name) : 0;
}
