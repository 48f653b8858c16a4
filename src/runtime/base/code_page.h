// The system's ANSI code page as the portable code sees it: conversions between its bytes and
// UTF-16 units, and which bytes lead a double-byte character. The product binds the system's
// calls (code_page_win32.cpp); the host build a single-byte stand-in that tests may replace.
#pragma once

typedef unsigned short WideUnit;

struct CodePageCalls {
    // ANSI bytes to UTF-16 units; with room 0 the number of units needed. 0 on failure.
    int (*to_wide)(const char* bytes, int length, WideUnit* wide, int room);
    // UTF-16 units to ANSI bytes, a character the code page lacks as its default character;
    // with room 0 the number of bytes needed. 0 on failure.
    int (*to_ansi)(const WideUnit* wide, int length, char* bytes, int room);
    bool (*is_lead_byte)(unsigned char byte);
};
extern CodePageCalls code_page_calls;

// The longest start of text[length] that ends between two characters: a lead byte whose
// second byte lies beyond length is left out, so a cut never splits a double-byte character.
unsigned whole_characters(const char* text, unsigned length);
