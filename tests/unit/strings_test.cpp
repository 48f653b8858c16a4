// String values and the scratch buffer.
#include <climits>
#include <string>

#include "unit_support.h"

using StringsTest = RuntimeTest;

TEST_F(StringsTest, TextOperationsProduceOneTextInTheScratch) {
    char* start = scratch_position;
    EXPECT_STREQ("", spaces_text(0));
    EXPECT_STREQ("", append_text(nullptr));
    EXPECT_STREQ("-5", number_text(-5));
    append_text(" and ");
    right_text("XYZ", 5);
    EXPECT_STREQ("-5 and XYZ", start);
    EXPECT_EQ(start + 10, scratch_position);
    EXPECT_EQ(0, *scratch_position);
}

TEST_F(StringsTest, NumbersInSignedDecimal) {
    struct Row { long n; const char* text; } rows[] = {
        {0, "0"}, {7, "7"}, {-5, "-5"}, {2147483647L, "2147483647"}, {-2147483647L - 1, "-2147483648"},
    };
    for (const Row& r : rows) {
        char* start = scratch_position;
        EXPECT_STREQ(r.text, number_text(r.n));
        scratch_rewind(start);
    }
    // Whatever width long has in this build (64 bits on the host), its whole range formats.
    for (long n : {LONG_MIN, LONG_MAX, LONG_MAX / 7 * 3, static_cast<long>(-1234567890L)}) {
        char* start = scratch_position;
        EXPECT_EQ(std::to_string(n), number_text(n));
        scratch_rewind(start);
    }
}

TEST_F(StringsTest, LeftAndRightTakeAtMostTheTextsLength) {
    struct Row { const char* text; int count; const char* left; const char* right; } rows[] = {
        {"XYZ", 5, "XYZ", "XYZ"}, {"XYZ", 1, "X", "Z"}, {"XYZ", 2, "XY", "YZ"},
        {"XYZ", 0, "", ""},       {"XYZ", -3, "", ""},  {nullptr, 2, "", ""},
    };
    for (const Row& r : rows) {
        char* start = scratch_position;
        EXPECT_STREQ(r.left, left_text(r.text, r.count)) << r.count;
        scratch_rewind(start);
        EXPECT_STREQ(r.right, right_text(r.text, r.count)) << r.count;
        scratch_rewind(start);
    }
}

TEST_F(StringsTest, StoringCopiesExactlyAndRewindsTheScratch) {
    String s = nullptr;
    store_string(&s, "ab");
    char* start = append_text(s);
    append_text("x");
    store_temp_string(&s, start);  // the expression used the variable itself
    EXPECT_STREQ("abx", s);
    EXPECT_EQ(start, scratch_position);
    store_string(&s, s);           // storing a variable into itself keeps its text
    EXPECT_STREQ("abx", s);
    store_string(&s, nullptr);
    EXPECT_EQ(nullptr, s);
    free_string(&s);
}

// A store that finds no room (here: no heap at all) keeps the variable's value, rewinds the
// scratch as a successful one does and says so; the refusals are counted.
TEST_F(StringsTest, AStoreThatFindsNoRoomKeepsTheOldValue) {
    String s = nullptr;
    store_string(&s, "old");
    char* start = append_text("new");
    const HeapHandle heap = runtime_heap;
    const unsigned long refusals = heap_refusals;
    runtime_heap = nullptr;
    EXPECT_FALSE(store_temp_string(&s, start));
    EXPECT_FALSE(store_string(&s, "newer"));
    runtime_heap = heap;
    EXPECT_STREQ("old", s);
    EXPECT_EQ(start, scratch_position);
    EXPECT_EQ(refusals + 2, heap_refusals);
    EXPECT_TRUE(store_string(&s, nullptr));
    EXPECT_EQ(nullptr, s);
}

TEST_F(StringsTest, EqualityTreatsNullAsEmpty) {
    EXPECT_EQ(1, strings_equal(nullptr, ""));
    EXPECT_EQ(1, strings_equal("a b", "a b"));
    EXPECT_EQ(0, strings_equal("a", "A"));
    EXPECT_EQ(0, strings_equal(nullptr, " "));
}

TEST_F(StringsTest, ArgumentsSurviveTextsBuiltBehindThem) {
    char* p = append_text("C:\\WINDOWS");
    append_text("\\Norvane.ini");
    scratch_argument(p);
    char* q = append_text("second");
    EXPECT_STREQ("C:\\WINDOWS\\Norvane.ini", p);
    EXPECT_STREQ("second", q);
    scratch_rewind(p);
    EXPECT_EQ(p, scratch_position);
}

TEST_F(StringsTest, TextsThatWouldOverflowTheScratchAreCut) {
    std::string big(70000, 'a');
    char* start = append_text(big.c_str());
    EXPECT_EQ(size_t(kScratchSize - 1), strlen(start));
    EXPECT_STREQ("", append_text("more"));
    EXPECT_STREQ("", spaces_text(10));
    EXPECT_EQ(0, scratch_room());
    scratch_argument(start);  // stepping past the last NUL stays inside the buffer
    EXPECT_STREQ("", number_text(7));
    scratch_rewind(start);
    EXPECT_STREQ("7", number_text(7));
}
