// The key-equals-value text of a preferences file (see preferences_text.h). Touches no file:
// the loaded text comes in, values and the writer's bytes go out.
#include "settings/preferences_text.h"

#include <limits.h>
#include <string.h>

#include "runtime/base/code_page.h"
#include "runtime/base/strings.h"

namespace {
const char kSeparator[] = " = ";
const char kLineEnd[] = "\r\n";

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

template <class Unit>
const Unit* skip_spaces(const Unit* p) {
    while (*p == ' ') ++p;
    return p;
}

template <class Unit>
bool key_equals(const Unit* a, const char* key, unsigned length) {
    for (unsigned i = 0; i < length; ++i) {
        if ((sizeof(Unit) > 1 && a[i] > 0x7F) || lower_ascii(static_cast<char>(a[i])) != lower_ascii(key[i])) return false;
    }
    return true;
}

// The value of the line at p when its key is the one asked for, else null.
template <class Unit>
const Unit* match_line(const Unit* p, const char* key, unsigned key_length, char comment_marker) {
    const Unit* key_start = skip_spaces(p);
    if (*key_start == static_cast<Unit>(comment_marker)) return 0;
    const Unit* stop = key_start;
    while (*stop && *stop != '=' && *stop != '\n') ++stop;
    const Unit* key_end = stop;
    while (key_end > key_start && key_end[-1] == ' ') --key_end;
    if (*stop != '=' || static_cast<unsigned>(key_end - key_start) != key_length) return 0;
    if (!key_equals(key_start, key, key_length)) return 0;
    return skip_spaces(stop + 1);
}

// The start of the line after the one at p, or the text's NUL.
template <class Unit>
const Unit* next_line(const Unit* p, LookupKind kind) {
    while (*p && *p != '\n') ++p;
    if (!*p) return p;
    ++p;
    if (kind == NumberLookup && *p == '\r') ++p;
    return p;
}

// Texts in the ANSI code page and in UTF-16 units follow the same rules. They look for "=",
// spaces and line ends, which no trail byte of a double-byte character equals, and for "[" or
// the comment marker at a line's start, where no trail byte stands.
template <class Unit>
const Unit* find_value(const Unit* text, const char* key, char comment_marker, LookupKind kind) {
    if (!text || !key || !*key) return 0;
    const unsigned key_length = static_cast<unsigned>(strlen(key));
    const Unit* p = text;
    while (*p && *p != '[') {
        const Unit* value = match_line(p, key, key_length, comment_marker);
        if (value) return value;
        p = next_line(p, kind);
    }
    return 0;
}
}  // namespace

const char* find_preference_value(const char* text, const char* key, char comment_marker, LookupKind kind) {
    return find_value(text, key, comment_marker, kind);
}

const WideUnit* find_preference_value_wide(const WideUnit* text, const char* key, char comment_marker) {
    return find_value(text, key, comment_marker, TextLookup);
}

int parse_preference_number(const char* value) {
    // White space ends at the line: a value left empty never takes its number from the next line.
    const char* p = value;
    while (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    // Accumulate towards the negative side, which holds one more value than the positive.
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

unsigned preference_text_length(const char* value) {
    if (!value) return 0;
    unsigned length = 0;
    while (value[length] && value[length] != '\r' && value[length] != '\n') ++length;
    return length;
}

int lookup_preference_number(const char* text, const char* key, char comment_marker, int default_value) {
    const char* value = find_preference_value(text, key, comment_marker, NumberLookup);
    return value ? parse_preference_number(value) : default_value;
}

char* lookup_preference_text(const char* text, const char* key, char comment_marker, const char* default_text) {
    const char* value = find_preference_value(text, key, comment_marker, TextLookup);
    if (!value) return append_text(default_text);
    unsigned length = preference_text_length(value);
    const unsigned room = static_cast<unsigned>(scratch_room());
    // A value longer than the room is cut between two characters.
    if (length > room) length = whole_characters(value, room);
    if (length) memmove(scratch_position, value, length);
    return commit_scratch_text(static_cast<int>(length));
}

int preference_key_writable(const char* key) {
    if (!key || !*key) return 0;
    return strpbrk(key, "=\r\n") ? 0 : 1;
}

int format_preference_number_line(char* out, int value) {
    memcpy(out, kSeparator, 3);
    int length = 3 + format_decimal(out + 3, value);
    memcpy(out + length, kLineEnd, 3);
    return length + 2;
}

void put_preference_number(PreferenceSink sink, void* context, const char* key, int value) {
    if (!preference_key_writable(key)) return;
    char line[kNumberLineSize];
    const int length = format_preference_number_line(line, value);
    sink(context, key, static_cast<unsigned>(strlen(key)));
    sink(context, line, static_cast<unsigned>(length));
}

void put_preference_text(PreferenceSink sink, void* context, const char* key, const char* value) {
    if (!preference_key_writable(key)) return;
    sink(context, key, static_cast<unsigned>(strlen(key)));
    sink(context, kSeparator, 3);
    const unsigned length = preference_text_length(value);
    if (length) sink(context, value, length);
    sink(context, kLineEnd, 2);
}
