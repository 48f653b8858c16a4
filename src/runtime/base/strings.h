// String values and the shared scratch buffer in which texts are built.
// A string value is a NUL-terminated byte string in an exact-size block from the runtime heap,
// or null, which reads as the empty text everywhere. Text-producing operations write at
// scratch_position, end with a NUL, leave scratch_position on that NUL and return the start,
// so consecutive pieces form one text. Writes never run past the buffer: a text that would
// not fit is cut at the buffer's end.
#pragma once

typedef char* String;

enum { kScratchSize = 64000 };

extern char* scratch_position;

void init_string_scratch();

char* append_text(const char* text);
char* spaces_text(int count);
char* number_text(long number);
char* left_text(const char* text, int count);
char* right_text(const char* text, int count);

// Storing copies the text into a block of its own and rewinds the scratch to its start. False
// when no block could be had: the variable then keeps its previous value.
bool store_temp_string(String* variable, char* start);
bool store_string(String* variable, const char* text);
void init_string(String* variable, const char* text);
void free_string(String* variable);
int strings_equal(const char* a, const char* b);

// Passing a built text as an argument: step past its NUL so that the callee may build its own
// texts behind it, and rewind once the call is done.
char* scratch_argument(char* start);
void scratch_rewind(char* start);

// Filling the scratch directly (file reads, window texts): room for at most this many bytes
// before the terminating NUL, then commit what was written.
int scratch_room();
char* commit_scratch_text(int length);

// Helpers for texts that may be null.
unsigned text_length(const char* text);
const char* text_or_empty(const char* text);
// Room for any long in signed decimal with its terminator: a sign and at most three digits
// per byte of the type (32 or 64 bits, as the build has it).
enum { kDecimalSize = sizeof(long) * 3 + 2 };
// Writes number in signed decimal into out, which has room for its sign, digits and terminator
// (kDecimalSize bytes hold any long), and returns the length.
int format_decimal(char* out, long number);
