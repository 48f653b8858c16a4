// Settings files as other programs write them: Latin-1 text (a subset of the Western code page)
// in a named file encoding, its byte-order mark first. Shared by the unit, Win32 and end-to-end
// tests.
#pragma once

#include <string>

// encoding: "ANSI", "UTF-8", "UTF-8 with a mark", "UTF-16" (little-endian) or "UTF-16 big-endian".
inline std::string in_encoding(const std::string& text, const std::string& encoding) {
    std::string e = encoding == "UTF-8 with a mark" ? "\xEF\xBB\xBF" : encoding == "UTF-16" ? "\xFF\xFE"
                    : encoding == "UTF-16 big-endian" ? "\xFE\xFF" : "";
    for (unsigned char c : text) {
        if (encoding.compare(0, 6, "UTF-16") == 0) e += encoding == "UTF-16" ? std::string{char(c), '\0'} : std::string{'\0', char(c)};
        else if (encoding != "ANSI" && c >= 0x80) e += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        else e += char(c);
    }
    return e;
}

// In the order of TextEncoding.
const char* const kFileEncodings[] = {"ANSI", "UTF-8", "UTF-8 with a mark", "UTF-16", "UTF-16 big-endian"};
