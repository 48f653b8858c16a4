// Texts built from the application state: About text, font description, transparency value.
#include "app/app_state.h"

#include "unit_support.h"

using AppTextsTest = RuntimeTest;

TEST_F(AppTextsTest, AboutTextHasItsFixedLinesAndACreditLineWithoutLineFeed) {
    build_about_text();
    std::string text = app.about_text;
    const std::string head =
        "Helps to quickly identify the current\n"
        "computer at a glance.  Helpful in\n"
        "multi-computer setups where one monitor\n"
        "might be connected to a KVM switch.\n"
        " \n";
    ASSERT_EQ(0u, text.find(head));
    std::string credit = text.substr(head.size());
    EXPECT_FALSE(credit.empty());
    EXPECT_EQ(std::string::npos, credit.find('\n'));
    EXPECT_EQ(std::string::npos, text.find('\r'));
    free_string(&app.about_text);
}

TEST_F(AppTextsTest, FontDescriptionAndTransparencyText) {
    EXPECT_STREQ(" Arial, Size: 8", font_description("Arial", 8));
    EXPECT_STREQ(" , Size: -3", font_description(nullptr, -3));
    struct Row { int amount; const char* text; } rows[] = {
        {100, "Off"}, {250, "Off"}, {99, "99%"}, {10, "10%"}, {55, "55%"}, {0, "0%"}, {-5, "-5%"},
    };
    for (const Row& r : rows) {
        char* start = scratch_position;
        EXPECT_STREQ(r.text, transparency_text(r.amount)) << r.amount;
        scratch_rewind(start);
    }
}
