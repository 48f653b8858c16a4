// Lookups over loaded preferences texts, the writer's bytes, and the settings table that
// walks both.
#include <climits>
#include <string>

#include "settings/preferences_text.h"
#include "settings/settings_table.h"
#include "unit_support.h"

namespace {
const int kNumberDefault = -7;
const char kTextDefault[] = "DEF";
const char kComment = ';';

class PreferencesTest : public RuntimeTest {
protected:
    std::string text_of(const std::string& file, const char* key, const char* default_text = kTextDefault) {
        char* start = scratch_position;
        std::string value = lookup_preference_text(file.c_str(), key, kComment, default_text);
        EXPECT_EQ(start + value.size(), scratch_position) << "the scratch position rests on the text's NUL";
        scratch_rewind(start);
        return value;
    }
    int number_of(const std::string& file, const char* key) {
        return lookup_preference_number(file.c_str(), key, kComment, kNumberDefault);
    }
};

// A file's bytes as the loader hands them on: the text ends at the first NUL.
std::string with_nul(const char* before, const char* after) { return std::string(before) + '\0' + after; }

struct LookupRow {
    const char* what;
    std::string file;
    const char* key;
    int number;
    const char* text;
};

TEST_F(PreferencesTest, LookupRules) {
    const LookupRow rows[] = {
        {"empty file", "", "TransAmount", kNumberDefault, kTextDefault},
        {"section header first", "[Settings]\r\nTransAmount = 50\r\n", "TransAmount", kNumberDefault, kTextDefault},
        {"section header ends the search", "A = 1\r\n[x]\r\nLabelPos = 3\r\n", "LabelPos", kNumberDefault, kTextDefault},
        {"keys above the header are seen", "LabelPos = 3\r\n[x]\r\n", "LabelPos", 3, "3"},
        {"header after spaces is an ordinary line", "  [x]\r\nTransAmount = 50\r\n", "TransAmount", 50, "50"},
        {"no spaces", "TransAmount=50", "TransAmount", 50, "50"},
        {"many spaces", "TransAmount   =   50\r\n", "TransAmount", 50, "50"},
        {"lower-case key", "transamount = 50\r\n", "TransAmount", 50, "50"},
        {"upper-case key", "TRANSAMOUNT = 50\r\n", "TransAmount", 50, "50"},
        {"leading spaces before the key", "   TransAmount = 50\r\n", "TransAmount", 50, "50"},
        {"trailing words", "TransAmount = 50 ; note\r\n", "TransAmount", 50, "50 ; note"},
        {"not a number", "TransAmount = abc\r\n", "TransAmount", 0, "abc"},
        {"first of two wins", "TransAmount = 1\r\nTransAmount = 2\r\n", "TransAmount", 1, "1"},
        {"empty value is not the default", "AddToDisplay = \r\nX = 1\r\n", "AddToDisplay", 0, ""},
        {"empty value does not borrow the next line", "TransAmount =\r\n35 = 1\r\n", "TransAmount", 0, ""},
        {"value spaces", "AddToDisplay =   lead and trail  \r\n", "AddToDisplay", 0, "lead and trail  "},
        {"value holding =", "FontName = a=b\r\n", "FontName", 0, "a=b"},
        {"comment line", ";TransAmount = 5\r\nTransAmount = 6\r\n", "TransAmount", 6, "6"},
        {"comment after spaces", "   ; TransAmount = 5\r\n", "TransAmount", kNumberDefault, kTextDefault},
        {"line without =", "TransAmount 50\r\nTransAmount = 6\r\n", "TransAmount", 6, "6"},
        {"shorter key never matches", "Show = 1\r\n", "ShowIP", kNumberDefault, kTextDefault},
        {"longer key never matches", "ShowIPX = 1\r\n", "ShowIP", kNumberDefault, kTextDefault},
        {"key with inner space", "Font Name = Courier\r\n", "Font Name", 0, "Courier"},
        {"tab before the key is not skipped", "\tTransAmount = 5\r\n", "TransAmount", kNumberDefault, kTextDefault},
        {"tab after the key belongs to it", "TransAmount\t= 5\r\n", "TransAmount", kNumberDefault, kTextDefault},
        {"nothing before =", "= 5\r\n", "TransAmount", kNumberDefault, kTextDefault},
        {"LF-only line ends", "A = 1\nTransAmount = 9\nB = 2\n", "TransAmount", 9, "9"},
        {"CR-only line ends make one line", "A = 1\rTransAmount = 5\r", "TransAmount", kNumberDefault, kTextDefault},
        {"last line without line end", "A = 1\r\nFontName = Times New Roman", "FontName", 0, "Times New Roman"},
        {"blank lines", "\r\n   \r\n\nFontSize = 12\r\n", "FontSize", 12, "12"},
        {"NUL ends the text", with_nul("A = 1\r\n", "TransAmount = 5\r\n"), "TransAmount", kNumberDefault, kTextDefault},
        {"NUL inside a value", with_nul("TransAmount = 12", " 34\r\n"), "TransAmount", 12, "12"},
        {"empty key", "= 5\r\nA = 1\r\n", "", kNumberDefault, kTextDefault},
        {"number with sign", "TransAmount = -12x\r\n", "TransAmount", -12, "-12x"},
        {"number with plus", "TransAmount = +7\r\n", "TransAmount", 7, "+7"},
        {"tab before the number", "TransAmount = \t42\r\n", "TransAmount", 42, "\t42"},
        {"sign without digits", "TransAmount = -\r\n", "TransAmount", 0, "-"},
        {"largest number", "N = 2147483647\r\n", "N", INT_MAX, "2147483647"},
        {"smallest number", "N = -2147483648\r\n", "N", INT_MIN, "-2147483648"},
        {"one past the largest", "N = 2147483648\r\n", "N", INT_MAX, "2147483648"},
        {"far beyond 32 bits", "N = 99999999999999999999999\r\n", "N", INT_MAX, "99999999999999999999999"},
        {"far below 32 bits", "N = -99999999999999999999999\r\n", "N", INT_MIN, "-99999999999999999999999"},
        {"binary bytes", std::string("\x01\xff\x80=\x7f\r\nN = 3\r\n"), "N", 3, "3"},
        {"high bytes do not fold case", "\xc4 = 1\r\n", "\xe4", kNumberDefault, kTextDefault},
    };
    for (const LookupRow& r : rows) {
        EXPECT_EQ(r.number, number_of(r.file, r.key)) << r.what;
        EXPECT_EQ(r.text, text_of(r.file, r.key)) << r.what;
    }
}

TEST_F(PreferencesTest, NumberLookupStepsOverOneCrAfterTheLineFeedAndTextLookupDoesNot) {
    // LF CR line ends: the number lookup sees the next line from its first byte...
    const std::string key_after_lf_cr = "A = 1\n\rTransAmount = 5\n";
    EXPECT_EQ(5, number_of(key_after_lf_cr, "TransAmount"));
    EXPECT_EQ(kTextDefault, text_of(key_after_lf_cr, "TransAmount"));
    // ...so only the number lookup finds the header there and stops.
    const std::string header_after_lf_cr = "A = 1\n\r[x]\nTransAmount = 5\n";
    EXPECT_EQ(kNumberDefault, number_of(header_after_lf_cr, "TransAmount"));
    EXPECT_EQ("5", text_of(header_after_lf_cr, "TransAmount"));
    // A CR before the header on the very first line hides it from both.
    EXPECT_EQ(5, number_of("\r[x]\nTransAmount = 5\n", "TransAmount"));
}

TEST_F(PreferencesTest, AbsentInputsGiveDefaults) {
    EXPECT_EQ(kNumberDefault, lookup_preference_number(nullptr, "A", kComment, kNumberDefault));
    EXPECT_EQ(kNumberDefault, lookup_preference_number("A = 1", nullptr, kComment, kNumberDefault));
    EXPECT_EQ("", text_of("B = 1", "A", nullptr));
    EXPECT_EQ("Arial", text_of("", "FontName", "Arial"));
}

TEST_F(PreferencesTest, RepeatedKeysAndHugeValuesStayWithinTheScratch) {
    std::string file;
    for (int i = 0; i < 10000; ++i) file += "TransAmount = " + std::to_string(i) + "\r\n";
    const std::string huge(100000, 'x');
    file += "AddToDisplay = " + huge + "\r\nFontName = Tahoma\r\n";
    EXPECT_EQ(0, number_of(file, "TransAmount"));
    EXPECT_EQ("Tahoma", text_of(file, "FontName"));

    // The value is cut to the room the scratch has left, wherever the position stands.
    for (int used : {0, 1000, kScratchSize - 2, kScratchSize - 1}) {
        char* start = scratch_position;
        spaces_text(used);
        const int room = scratch_room();
        std::string value = text_of(file, "AddToDisplay");
        EXPECT_EQ(static_cast<size_t>(room), value.size()) << used;
        EXPECT_EQ(std::string::npos, value.find_first_not_of('x')) << used;
        scratch_rewind(start);
    }
}

// The writer's output, collected as the file would receive it.
std::string number_line(const char* key, int value) {
    std::string out;
    put_preference_number(collect, &out, key, value);
    return out;
}

std::string text_line(const char* key, const char* value) {
    std::string out;
    put_preference_text(collect, &out, key, value);
    return out;
}

TEST_F(PreferencesTest, WriterBytes) {
    struct NumberRow { int value; const char* bytes; } numbers[] = {
        {0, "K = 0\r\n"}, {100, "K = 100\r\n"}, {-5, "K = -5\r\n"},
        {INT_MAX, "K = 2147483647\r\n"}, {INT_MIN, "K = -2147483648\r\n"},
    };
    for (const NumberRow& r : numbers) EXPECT_EQ(r.bytes, number_line("K", r.value)) << r.value;

    struct TextRow { const char* value; const char* bytes; } texts[] = {
        {nullptr, "K = \r\n"}, {"", "K = \r\n"}, {"Arial", "K = Arial\r\n"},
        {" spaced ", "K =  spaced \r\n"}, {"a = b ; c", "K = a = b ; c\r\n"},
        // A line break inside a value would start a line of its own: the value ends there.
        {"Lab\r\nFontName = Wingdings", "K = Lab\r\n"}, {"one\ntwo", "K = one\r\n"}, {"\r\n", "K = \r\n"},
    };
    for (const TextRow& r : texts) EXPECT_EQ(r.bytes, text_line("K", r.value)) << (r.value ? r.value : "(absent)");

    // Keys that could not be read back write nothing at all.
    for (const char* key : {static_cast<const char*>(nullptr), "", "A=B", "A\r\nB", "A\nB"}) {
        EXPECT_EQ("", number_line(key, 1));
        EXPECT_EQ("", text_line(key, "x"));
    }
}

// The file a save writes, walking the settings table: the fields of s, or without s the
// defaults.
std::string settings_file(const Settings* s) {
    std::string file;
    for (const SettingRow& row : kSettingRows) {
        if (row.text) put_preference_text(collect, &file, row.key, s ? s->*row.text : row.default_text);
        else put_preference_number(collect, &file, row.key, s ? s->*row.number : row.default_number);
    }
    return file;
}

TEST_F(PreferencesTest, SettingsFileByteForByte) {
    const std::string file = settings_file(nullptr);
    EXPECT_EQ(
        "TransAmount = 100\r\nAutoStart = 0\r\nLabelPos = 4\r\nShowComputerName = 1\r\n"
        "ShowDomainName = 0\r\nShowUserID = 0\r\nShowIP = 0\r\nAddToDisplay = \r\n"
        "FontName = Arial\r\nFontSize = 8\r\n",
        file);
    // A value of its own in every field, so that a row naming another row's field shows.
    char custom[] = "desk", face[] = "Tahoma";
    const Settings own = {30, 2, 3, 5, 6, 7, 9, custom, face, 14};
    EXPECT_EQ(
        "TransAmount = 30\r\nAutoStart = 2\r\nLabelPos = 3\r\nShowComputerName = 5\r\n"
        "ShowDomainName = 6\r\nShowUserID = 7\r\nShowIP = 9\r\nAddToDisplay = desk\r\n"
        "FontName = Tahoma\r\nFontSize = 14\r\n",
        settings_file(&own));
    EXPECT_EQ(0, number_of(file, "AddToDisplay"));
    EXPECT_EQ("", text_of(file, "AddToDisplay"));
    EXPECT_EQ(8, number_of(file, "FontSize"));
}
}  // namespace
