// Shared support of the in-process Win32 tests: the runtime as start-up makes it, the message
// pump, window and file read-outs, the ten settings as one line of text, and a recorder of
// message and event orders.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

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

// A font's description (all zero for no font), and the display's pixels per logical inch.
LOGFONTA described(HFONT font);
int display_pixels_per_inch();
std::string class_of(HWND window);
std::string text_of(HWND window);
// A folder of this process's own below the temporary folder (not made here).
std::string temp_folder(const char* name);
// A file's bytes, or "<missing>".
std::string read_file(const std::string& path);

// The ten settings as one line in the file's order, numbers in decimal and texts as they are
// (no "|" inside): "100|0|4|1|0|0|0||Arial|8". Set all at once, read back for comparison, or
// turned into the ten lines a save of them writes.
void set_settings(const std::string& line);
std::string settings_summary();
std::string settings_file_text(const std::string& line);

// One step of a recorded order: a message one of the named windows received (sent to it, or
// taken from the queue for it), or a poll's result, named "poll", with the event's window
// number as wparam and its object as lparam. Expected steps compare the parameters named only.
enum { kWparam = 1, kLparam = 2, kBothParameters = 3 };
struct SequenceStep { const char* window; UINT code; int compared; WPARAM wparam; LPARAM lparam; };

// While it lives, records the listed messages of the named windows, and the polls made through
// it. One recorder at a time.
struct SequenceRecorder {
    SequenceRecorder(std::vector<std::pair<HWND, const char*>> windows, std::vector<UINT> messages);
    ~SequenceRecorder();
    int poll();  // wait_event, recorded
    std::vector<std::pair<HWND, const char*>> windows;
    std::vector<UINT> messages;
    std::vector<SequenceStep> steps;
    HHOOK hooks[2];
};

// Compares a recording with an expected table (an array); a mismatch, reported at the caller's
// line, prints both orders.
void check_sequence(const char* file, int line, const SequenceRecorder& recorder, const SequenceStep* expected,
                    size_t count);
#define expect_sequence(recorder, table) \
    check_sequence(__FILE__, __LINE__, recorder, table, sizeof(table) / sizeof(*(table)))
