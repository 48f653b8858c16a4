// The key-equals-value text of a preferences file: lookups over a loaded text, and the bytes
// the writer puts on each line. The file handling around it lives in preferences.cpp.
#pragma once

#include "runtime/base/code_page.h"

// A loaded text ends at its first NUL. A line whose first byte is "[" ends every lookup; lines
// starting (after spaces) with the comment marker are skipped; keys compare without regard to
// ASCII letter case and must have the requested length; the first matching line wins.

// Where the value of key starts (after "=" and the spaces behind it), or null when the key is
// not found. A number lookup also steps over one CR right after a line's LF; a text lookup
// does not, so the two can differ on files with LF CR line ends.
enum LookupKind { NumberLookup, TextLookup };
const char* find_preference_value(const char* text, const char* key, char comment_marker, LookupKind kind);
// The same text lookup over a text of UTF-16 units.
const WideUnit* find_preference_value_wide(const WideUnit* text, const char* key, char comment_marker);

// A value read as a number: white space within the line, an optional sign, decimal digits up
// to the first non-digit; no digits give 0. Values beyond 32 bits give INT_MIN or INT_MAX.
int parse_preference_number(const char* value);
// Length of a value read as text: up to the first CR, LF or NUL.
unsigned preference_text_length(const char* value);

int lookup_preference_number(const char* text, const char* key, char comment_marker, int default_value);
// A scratch text: the value, else a copy of the default, else the empty text. A value longer
// than the room left in the scratch buffer is cut to that room, between two characters.
char* lookup_preference_text(const char* text, const char* key, char comment_marker, const char* default_text);

// The writer's lines: key, " = ", the value, CR LF. The bytes go to a sink one piece at a time.
typedef void (*PreferenceSink)(void* context, const char* bytes, unsigned length);

// A key that could not be read back is never written: absent, empty, or holding "=", CR or LF.
int preference_key_writable(const char* key);
// " = " + the value in signed decimal + CR LF, ended by a NUL; out holds at least
// kNumberLineSize bytes. Returns the length without the NUL.
enum { kNumberLineSize = 17 };
int format_preference_number_line(char* out, int value);
void put_preference_number(PreferenceSink sink, void* context, const char* key, int value);
// An absent value writes as the empty text. A value is written up to its first CR or LF: the
// rest would come back as lines of its own and could shadow the keys written after it.
void put_preference_text(PreferenceSink sink, void* context, const char* key, const char* value);
