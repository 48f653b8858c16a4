// Functions of system libraries that are needed only when the user asks for something (the font
// requester, opening a web page): the library is loaded on first use and kept, so start-up does
// not pay for loading and initialising it.
#pragma once

#include <windows.h>

// The named function of the named system library; 0 when either is missing.
FARPROC system_function(const char* library, const char* name);
// The same, as the function type the caller declares beside its use.
template <typename Function>
Function system_function_as(const char* library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(system_function(library, name)));
}
