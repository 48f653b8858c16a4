// The encodings a preferences file may come in (the ANSI code page, UTF-8 with or without a
// byte-order mark, UTF-16 in either byte order with one), told apart once at load, and the
// turning of its text into the ANSI code page for lookups and back for a save.
#pragma once

#include "runtime/base/code_page.h"

enum TextEncoding { EncodingAnsi, EncodingUtf8, EncodingUtf8Marked, EncodingUtf16Le, EncodingUtf16Be };

// A mark decides; without one, text that is valid UTF-8 up to its first NUL and holds at least
// one multi-byte sequence is UTF-8 (a last sequence cut short by the file's end is allowed);
// anything else is the ANSI code page.
TextEncoding recognise_encoding(const char* bytes, unsigned long length);

// The text of file bytes in another encoding than ANSI, in the ANSI code page, up to its first
// NUL: a block from the runtime heap ended by a NUL, its length in *text_length; null when
// there is no room. Characters the code page lacks become its default character.
char* decode_preferences(const char* bytes, unsigned long length, TextEncoding encoding, unsigned long* text_length);

// The bytes of a save of text[length] (ANSI, key = value lines) in another encoding than ANSI,
// mark included. A value that reads as the same value of the file once loaded from
// old[old_length] keeps that file's own characters, also those the code page lacks. A block
// from the runtime heap, its length in *encoded_length; null when there is no room.
char* encode_preferences(const char* text, unsigned long length, TextEncoding encoding, const char* old,
                         unsigned long old_length, unsigned long* encoded_length);
