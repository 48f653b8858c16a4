// Shared support of the in-process Win32 tests: the runtime as start-up makes it, the message
// pump, window and file read-outs, and the ten settings as one line of text.
#pragma once

#include <windows.h>

#include <string>

// Creates the runtime heap, the object-list heap and the string scratch.
void init_test_runtime();
// Starts the runtime's modules as the program's start-up does, once per executable: for the
// tests of the program's own modules (a runtime module's tests start only that module).
void init_program_runtime();
// Dispatches every queued message of this thread, as the program's loop would over several turns.
void pump_messages();
// Dispatches everything queued and polls until no event is left, pending one included.
void settle_events();
// Points this executable's import of a system function at a replacement and returns what the
// import held before (null when the executable does not import it). Only calls made through
// this executable's own import table follow: the system's DLLs keep calling the real function.
void* replace_import(const char* function_name, void* replacement);

std::string class_of(HWND window);
std::string text_of(HWND window);
// A file's bytes, or "<missing>".
std::string read_file(const std::string& path);

// The ten settings as one line in the file's order, numbers in decimal and texts as they are
// (no "|" inside): "100|0|4|1|0|0|0||Arial|8". Set all at once, read back for comparison, or
// turned into the ten lines a save of them writes.
void set_settings(const std::string& line);
std::string settings_summary();
std::string settings_file_text(const std::string& line);
