// The settings file's encodings: which one a file is read in, what lookups see, and that a save
// gives back the file's own bytes for values left as they were; cuts between characters of a
// double-byte code page.
#include <string>

#include "runtime/base/code_page.h"
#include "settings/preferences_encoding.h"
#include "settings/preferences_text.h"
#include "unit_support.h"
#include "../file_encodings.h"

namespace {
std::string utf16(const std::string& latin1, bool little) { return in_encoding(latin1, little ? "UTF-16" : "UTF-16 big-endian"); }

class EncodingTest : public RuntimeTest {};

TEST_F(EncodingTest, RecognisesTheEncodingOnceForTheWholeFile) {
    const struct {
        std::string bytes;
        TextEncoding expected;
    } rows[] = {
        {"", EncodingAnsi},
        {"TransAmount = 50\r\n", EncodingAnsi},
        {"AddToDisplay = B\xFCro\r\n", EncodingAnsi},             // cp1252
        {"AddToDisplay = B\xC3\xBCro\r\n", EncodingUtf8},         // valid UTF-8 with a multi-byte sequence
        {"AddToDisplay = B\xC3\xBC\xC3", EncodingUtf8},           // its last sequence cut by the file's end
        {"AddToDisplay = Caf\xE9", EncodingAnsi},                 // a lone lead byte at the end is no proof
        {"AddToDisplay = \xC3\xBC\xC0\x80", EncodingAnsi},        // an overlong form is not UTF-8
        {"AddToDisplay = \xED\xA0\x80", EncodingAnsi},            // nor an encoded surrogate
        {std::string("A = \xC3\xBC\0\xFF", 8), EncodingUtf8},     // only the text before a NUL counts
        {"\xEF\xBB\xBFTransAmount = 50", EncodingUtf8Marked},
        {"\xFF\xFE", EncodingUtf16Le},
        {"\xFE\xFFx", EncodingUtf16Be},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, recognise_encoding(row.bytes.data(), row.bytes.size())) << row.bytes;
}

// Every encoding gives lookups the same text, and a save of what was read gives the same bytes;
// a character the code page lacks reads as "?" and is kept by a save that leaves its value.
TEST_F(EncodingTest, ReadsAndWritesBackEveryEncodingByteForByte) {
    const std::string ansi = "TransAmount = 50\r\nLabelPos = 1\r\nAddToDisplay = B\xFCro 2.OG\r\n";
    const std::string foreign_utf8 = "AddToDisplay = \xE8\xA1\xA8 \xF0\x9F\x98\x80\r\nFontName = Arial\r\n";
    const struct {
        std::string file;
        TextEncoding encoding;
        std::string text;  // what lookups see
    } rows[] = {
        {"\xEF\xBB\xBF" "TransAmount = 50\r\nLabelPos = 1\r\nAddToDisplay = B\xC3\xBCro 2.OG\r\n", EncodingUtf8Marked, ansi},
        {"TransAmount = 50\r\nLabelPos = 1\r\nAddToDisplay = B\xC3\xBCro 2.OG\r\n", EncodingUtf8, ansi},
        {utf16(ansi, true), EncodingUtf16Le, ansi},
        {utf16(ansi, false), EncodingUtf16Be, ansi},
        {foreign_utf8, EncodingUtf8, "AddToDisplay = ? ??\r\nFontName = Arial\r\n"},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(row.encoding, recognise_encoding(row.file.data(), row.file.size()));
        unsigned long length = 0;
        char* text = decode_preferences(row.file.data(), row.file.size(), row.encoding, &length);
        ASSERT_TRUE(text);
        EXPECT_EQ(row.text, std::string(text, length));
        heap_free(runtime_heap, text);
        char* saved = encode_preferences(row.text.data(), row.text.size(), row.encoding, row.file.data(), row.file.size(), &length);
        EXPECT_EQ(row.file, std::string(saved, length)) << row.text;
        heap_free(runtime_heap, saved);
    }
    // A changed value is written in the file's encoding; the others keep their own characters.
    const std::string changed = "AddToDisplay = B\xFCro\r\nFontName = Arial\r\nFontSize = 9\r\n";
    unsigned long length = 0;
    char* saved = encode_preferences(changed.data(), changed.size(), EncodingUtf16Be, utf16(ansi, false).data(), utf16(ansi, false).size(), &length);
    EXPECT_EQ(utf16(changed, false), std::string(saved, length));
    heap_free(runtime_heap, saved);
    const std::string kept = "AddToDisplay = ? ??\r\nFontName = Courier\r\n";
    saved = encode_preferences(kept.data(), kept.size(), EncodingUtf8, foreign_utf8.data(), foreign_utf8.size(), &length);
    EXPECT_EQ("AddToDisplay = \xE8\xA1\xA8 \xF0\x9F\x98\x80\r\nFontName = Courier\r\n", std::string(saved, length));
    heap_free(runtime_heap, saved);
}

// A toy double-byte code page: bytes 0x81 to 0x9F lead, and any byte may trail, "\" included.
bool toy_lead(unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; }

TEST_F(EncodingTest, CutsFallBetweenDoubleByteCharacters) {
    const CodePageCalls saved = code_page_calls;
    code_page_calls.is_lead_byte = toy_lead;
    const struct {
        std::string text;
        unsigned length, expected;
    } rows[] = {
        {"ab", 2, 2},          {"a\x95\x5C", 2, 1},      {"a\x95\x5C", 3, 3},  {"\x95\x95\x95\x95", 3, 2},
        {"\x95\x95\x95\x95", 4, 4}, {"\x95\x5C\x95", 3, 2}, {"a\x95", 2, 1},    {"", 0, 0},
    };
    for (const auto& row : rows) EXPECT_EQ(row.expected, whole_characters(row.text.c_str(), row.length)) << row.text;
    // A value longer than the scratch's room is cut before the character that does not fit.
    std::string file = "AddToDisplay = ";
    for (int i = 0; i < kScratchSize; ++i) file += "\x95\x5C";
    char* value = lookup_preference_text(file.c_str(), "AddToDisplay", ';', 0);
    EXPECT_EQ(0u, std::string(value).size() % 2);
    EXPECT_EQ(static_cast<size_t>(kScratchSize - 2), std::string(value).size());
    code_page_calls = saved;
}
}  // namespace
