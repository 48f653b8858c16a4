// The label's words for every combination of display options, with and without custom text.
#include <string>

#include "label/label_text.h"
#include "unit_support.h"

namespace {
class LabelTextTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        store_string(&identity.computer_name, "PC1");
        store_string(&identity.domain_name, "CORP");
        store_string(&identity.user_name, "jsmith");
        store_string(&identity.ip_address, "10.0.0.5");
    }
    std::string compose() {
        char* start = scratch_position;
        char* text = compose_label_text(settings, identity);
        EXPECT_EQ(start, text) << "the text starts at the scratch position";
        std::string result = text;
        EXPECT_EQ(text + result.size(), scratch_position) << "the position rests on the text's NUL";
        scratch_rewind(start);
        return result;
    }
    void show(int computer, int domain, int user, int ip) {
        settings.ShowComputerName = computer;
        settings.ShowDomainName = domain;
        settings.ShowUserID = user;
        settings.ShowIP = ip;
    }
    Settings settings = {};
    IdentityInfo identity = {};
};

TEST_F(LabelTextTest, EveryCombinationWithAndWithoutCustomText) {
    struct Row { int c, d, u, i; const char* plain; const char* custom; } rows[] = {
        {0, 0, 0, 0, "Please select display options...", " Lab  "},
        {1, 0, 0, 0, " PC1 ", " Lab PC1 "},
        {0, 1, 0, 0, "  <CORP> ", " Lab  <CORP> "},
        {1, 1, 0, 0, " PC1 <CORP> ", " Lab PC1 <CORP> "},
        {0, 0, 1, 0, "  <jsmith> ", " Lab  <jsmith> "},
        {1, 0, 1, 0, " PC1 <jsmith> ", " Lab PC1 <jsmith> "},
        {0, 1, 1, 0, "  <CORP\\jsmith> ", " Lab  <CORP\\jsmith> "},
        {1, 1, 1, 0, " PC1 <CORP\\jsmith> ", " Lab PC1 <CORP\\jsmith> "},
        {0, 0, 0, 1, "  10.0.0.5 ", " Lab  10.0.0.5 "},
        {1, 0, 0, 1, " PC1 10.0.0.5 ", " Lab PC1 10.0.0.5 "},
        {0, 1, 0, 1, "  <CORP> 10.0.0.5 ", " Lab  <CORP> 10.0.0.5 "},
        {1, 1, 0, 1, " PC1 <CORP> 10.0.0.5 ", " Lab PC1 <CORP> 10.0.0.5 "},
        {0, 0, 1, 1, "  <jsmith> 10.0.0.5 ", " Lab  <jsmith> 10.0.0.5 "},
        {1, 0, 1, 1, " PC1 <jsmith> 10.0.0.5 ", " Lab PC1 <jsmith> 10.0.0.5 "},
        {0, 1, 1, 1, "  <CORP\\jsmith> 10.0.0.5 ", " Lab  <CORP\\jsmith> 10.0.0.5 "},
        {1, 1, 1, 1, " PC1 <CORP\\jsmith> 10.0.0.5 ", " Lab PC1 <CORP\\jsmith> 10.0.0.5 "},
    };
    for (const Row& r : rows) {
        show(r.c, r.d, r.u, r.i);
        store_string(&settings.AddToDisplay, nullptr);
        EXPECT_EQ(r.plain, compose()) << r.c << r.d << r.u << r.i;
        store_string(&settings.AddToDisplay, "");
        EXPECT_EQ(r.plain, compose()) << "empty custom text " << r.c << r.d << r.u << r.i;
        store_string(&settings.AddToDisplay, "Lab");
        EXPECT_EQ(r.custom, compose()) << "custom text " << r.c << r.d << r.u << r.i;
    }
}

TEST_F(LabelTextTest, OnlyExactlyOneCountsAsShown) {
    for (int value : {0, 2, -1, 100}) {
        show(value, value, value, value);
        EXPECT_EQ("Please select display options...", compose()) << value;
    }
    show(2, 1, 2, -1);
    EXPECT_EQ("  <CORP> ", compose());
}

TEST_F(LabelTextTest, EmptyIdentityValuesAndSpacing) {
    struct Row {
        const char* what;
        const char* computer; const char* user; const char* address;
        int c, d, u, i;
        const char* custom;
        const char* expected;
    } rows[] = {
        {"empty user name", "PC1", nullptr, "10.0.0.5", 0, 0, 1, 0, nullptr, "  <> "},
        {"network never started", "PC1", "jsmith", nullptr, 1, 0, 0, 1, nullptr, " PC1  "},
        {"address only, none known", "PC1", "jsmith", nullptr, 0, 0, 0, 1, nullptr, "   "},
        {"empty computer name alone", "", "jsmith", "10.0.0.5", 1, 0, 0, 0, nullptr, "Please select display options..."},
        {"all-space custom text", "PC1", "jsmith", "10.0.0.5", 0, 0, 0, 0, "  ", "     "},
        {"custom text kept as typed", "PC1", "jsmith", "10.0.0.5", 1, 0, 0, 0, " a b ", "  a b  PC1 "},
        {"custom text then address", "PC1", "jsmith", "10.0.0.5", 0, 0, 0, 1, "Lab", " Lab  10.0.0.5 "},
    };
    for (const Row& r : rows) {
        store_string(&identity.computer_name, r.computer);
        store_string(&identity.user_name, r.user);
        store_string(&identity.ip_address, r.address);
        store_string(&settings.AddToDisplay, r.custom);
        show(r.c, r.d, r.u, r.i);
        EXPECT_EQ(r.expected, compose()) << r.what;
    }
}

TEST_F(LabelTextTest, ComposesBehindTextsAlreadyInTheScratch) {
    char* before = append_text("kept");
    scratch_argument(before);
    show(1, 0, 0, 0);
    EXPECT_EQ(" PC1 ", compose());
    EXPECT_STREQ("kept", before);
}

TEST_F(LabelTextTest, CustomTextLongerThanTheScratchIsCut) {
    const std::string huge(70000, 'x');
    store_string(&settings.AddToDisplay, huge.c_str());
    show(1, 1, 1, 1);
    std::string text = compose();
    EXPECT_EQ(static_cast<size_t>(kScratchSize - 1), text.size());
    EXPECT_EQ(" xxx", text.substr(0, 4));
}
}  // namespace
