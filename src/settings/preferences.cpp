// Placeholder until this module is built.
#include "runtime/base/strings.h"
#include "settings/preferences.h"

void init_preferences() {}
void* open_preferences(const char*) { return 0; }
void* create_preferences(const char*) { return 0; }
void close_preferences() {}
long read_preference_number(const char*, long d) { return d; }
char* read_preference_text(const char*, const char* d) { return append_text(d); }
void write_preference_number(const char*, long) {}
void write_preference_text(const char*, const char*) {}
