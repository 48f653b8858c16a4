// String values and the scratch buffer (see strings.h).
#include "runtime/base/strings.h"

#include <string.h>

#include "runtime/base/heap.h"

char* scratch_position;

namespace {
char* scratch_base;
char empty_text[1];

char* scratch_limit() { return scratch_base + kScratchSize; }

// Writes up to length bytes of text at the position, cut to the room left, and ends the text.
char* write_piece(const char* text, int length, char fill) {
    if (!scratch_position || scratch_position >= scratch_limit()) {
        empty_text[0] = 0;
        return empty_text;
    }
    char* start = scratch_position;
    int room = scratch_room();
    if (length > room) length = room;
    if (length < 0) length = 0;
    if (text) memmove(start, text, length); else memset(start, fill, length);
    return commit_scratch_text(length);
}
}  // namespace

void init_string_scratch() {
    scratch_base = static_cast<char*>(heap_alloc(runtime_heap, kScratchSize, true));
    scratch_position = scratch_base;
}

int scratch_room() {
    if (!scratch_position || scratch_position >= scratch_limit()) return 0;
    return static_cast<int>(scratch_limit() - scratch_position) - 1;
}

char* commit_scratch_text(int length) {
    char* start = scratch_position;
    if (!start || start >= scratch_limit()) {
        empty_text[0] = 0;
        return empty_text;
    }
    if (length < 0) length = 0;
    if (length > scratch_room()) length = scratch_room();
    start[length] = 0;
    scratch_position = start + length;
    return start;
}

unsigned text_length(const char* text) { return text ? static_cast<unsigned>(strlen(text)) : 0; }

const char* text_or_empty(const char* text) { return text ? text : ""; }

char* append_text(const char* text) { return write_piece(text_or_empty(text), text_length(text), 0); }

char* spaces_text(int count) { return write_piece(0, count, ' '); }

int format_decimal(char* out, long number) {
    char digits[kDecimalSize];
    int n = 0;
    unsigned long magnitude = number < 0 ? 0ul - static_cast<unsigned long>(number) : static_cast<unsigned long>(number);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int length = 0;
    if (number < 0) out[length++] = '-';
    while (n) out[length++] = digits[--n];
    out[length] = 0;
    return length;
}

char* number_text(long number) {
    char buffer[kDecimalSize];
    int length = format_decimal(buffer, number);
    return write_piece(buffer, length, 0);
}

char* left_text(const char* text, int count) {
    int length = static_cast<int>(text_length(text));
    if (count <= 0 || !text) return write_piece("", 0, 0);
    return write_piece(text, count < length ? count : length, 0);
}

char* right_text(const char* text, int count) {
    int length = static_cast<int>(text_length(text));
    if (count <= 0 || !text) return write_piece("", 0, 0);
    if (count > length) count = length;
    return write_piece(text + length - count, count, 0);
}

// The new text is copied before the old one is let go: a copy that finds no room keeps the
// variable's previous value, so that no setting is lost or emptied for want of room.
bool store_temp_string(String* variable, char* start) {
    if (!scratch_position || start < scratch_base || start > scratch_position) {
        free_string(variable);
        return true;
    }
    unsigned long size = static_cast<unsigned long>(scratch_position - start) + 1;
    char* block = static_cast<char*>(heap_alloc(runtime_heap, size, false));
    if (block) {
        memcpy(block, start, size - 1);
        block[size - 1] = 0;
        free_string(variable);
        *variable = block;
    }
    scratch_position = start;
    *scratch_position = 0;
    return block != 0;
}

void init_string(String* variable, const char* text) {
    *variable = 0;
    if (!text) return;
    unsigned long size = text_length(text) + 1;
    char* block = static_cast<char*>(heap_alloc(runtime_heap, size, false));
    if (block) memcpy(block, text, size);
    *variable = block;
}

bool store_string(String* variable, const char* text) {
    // The text may be the variable's own block: copy before freeing.
    String copy;
    init_string(&copy, text);
    if (text && !copy) return false;
    free_string(variable);
    *variable = copy;
    return true;
}

void free_string(String* variable) {
    if (*variable) heap_free(runtime_heap, *variable);
    *variable = 0;
}

int strings_equal(const char* a, const char* b) { return strcmp(text_or_empty(a), text_or_empty(b)) == 0 ? 1 : 0; }

char* scratch_argument(char* start) {
    if (scratch_position && scratch_position < scratch_limit()) scratch_position++;
    return start;
}

void scratch_rewind(char* start) {
    if (scratch_base && start >= scratch_base && start < scratch_limit()) scratch_position = start;
}
