// The preferences facility: one key-equals-value file open at a time, either loaded whole for
// lookups or written afresh as a whole when a save is closed.
#pragma once

#include <windows.h>

void init_preferences();
// Loads the file. A save cut short leaves a complete copy beside it (the path + ".new"); when
// the file is missing, or holds only the first part of that copy's text, the copy is loaded.
void* open_preferences(const char* path);
// Starts a save: the lines are gathered in memory and written by close_preferences. 0 (and no
// save) for a read-only, hidden or system file, a folder, or a path whose folder is missing.
void* create_preferences(const char* path);
void close_preferences();
long read_preference_number(const char* key, long default_value);
// A scratch text: the value, a copy of the default, or the empty text.
char* read_preference_text(const char* key, const char* default_text);
void write_preference_number(const char* key, long value);
void write_preference_text(const char* key, const char* value);

// The platform file calls of loading and saving, in one table so that a test can make any one
// of them fail. init_preferences points them at the system's functions.
struct PreferencesFileCalls {
    HANDLE(WINAPI* CreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    DWORD(WINAPI* GetFileAttributesA)(LPCSTR);
    DWORD(WINAPI* GetFileSize)(HANDLE, LPDWORD);
    BOOL(WINAPI* ReadFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* WriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* SetEndOfFile)(HANDLE);
    BOOL(WINAPI* FlushFileBuffers)(HANDLE);
    BOOL(WINAPI* CloseHandle)(HANDLE);
    BOOL(WINAPI* DeleteFileA)(LPCSTR);
};
extern PreferencesFileCalls preferences_file_calls;
