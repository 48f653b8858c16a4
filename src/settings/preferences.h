// The preferences facility: one key-equals-value file open at a time, either loaded whole for
// lookups or created afresh for writing one line per call.
#pragma once

void init_preferences();
void* open_preferences(const char* path);
void* create_preferences(const char* path);
void close_preferences();
long read_preference_number(const char* key, long default_value);
// A scratch text: the value, a copy of the default, or the empty text.
char* read_preference_text(const char* key, const char* default_text);
void write_preference_number(const char* key, long value);
void write_preference_text(const char* key, const char* value);
