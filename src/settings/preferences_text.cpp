// The key-equals-value text of a preferences file (see preferences_text.h). Touches no file:
// the loaded text comes in, values and the writer's bytes go out.
#include "settings/preferences_text.h"

#include <limits.h>
#include <string.h>

#include "runtime/base/strings.h"

namespace {
const char kSeparator[] = " = ";
const char kLineEnd[] = "\r\n";

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_case(const char* a, const char* b, unsigned length) {
    for (unsigned i = 0; i < length; ++i) {
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    }
    return true;
}

const char* skip_spaces(const char* p) {
    while (*p == ' ') ++p;
    return p;
}

// The value of the line at p when its key is the one asked for, else null.
const char* match_line(const char* p, const char* key, unsigned key_length, char comment_marker) {
    const char* key_start = skip_spaces(p);
    if (*key_start == comment_marker) return 0;
    const char* stop = key_start;
    while (*stop && *stop != '=' && *stop != '\n') ++stop;
    const char* key_end = stop;
    while (key_end > key_start && key_end[-1] == ' ') --key_end;
    if (*stop != '=' || static_cast<unsigned>(key_end - key_start) != key_length) return 0;
    if (!equal_ignoring_case(key_start, key, key_length)) return 0;
    return skip_spaces(stop + 1);
}

// The start of the line after the one at p, or the text's NUL.
const char* next_line(const char* p, LookupKind kind) {
    const char* lf = strchr(p, '\n');
    if (!lf) return p + strlen(p);
    ++lf;
    if (kind == NumberLookup && *lf == '\r') ++lf;
    return lf;
}
}  // namespace

const char* find_preference_value(const char* text, const char* key, char comment_marker, LookupKind kind) {
    if (!text || !key || !*key) return 0;
    const unsigned key_length = static_cast<unsigned>(strlen(key));
    const char* p = text;
    while (*p && *p != '[') {
        const char* value = match_line(p, key, key_length, comment_marker);
        if (value) return value;
        p = next_line(p, kind);
    }
    return 0;
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
    if (length > room) length = room;
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
