// Shared helpers of the in-process Win32 tests.
#pragma once

#include <windows.h>

// Creates the runtime heap, the object-list heap and the string scratch.
void init_test_runtime();
// Dispatches every queued message of this thread, as the program's loop would over several turns.
void pump_messages();
// Dispatches everything queued and polls until no event is left, pending one included.
void settle_events();
// Points this executable's import of a system function at a replacement and returns what the
// import held before (null when the executable does not import it). Only calls made through
// this executable's own import table follow: the system's DLLs keep calling the real function.
void* replace_import(const char* function_name, void* replacement);
