// The preferences facility: one key-equals-value file open at a time, either loaded whole for
// lookups or written afresh as a whole when a save is closed.
#pragma once

#include <windows.h>

void init_preferences();
// Loads the file, or the copy a save cut short left (see preferences_store.h, whose file calls
// init_preferences points at the system's).
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
