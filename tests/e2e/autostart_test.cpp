// "Start automatically" as a person uses it, in the Startup folders the prefix records: where the
// all-users folder is missing or refuses new files, and with the program started under another
// name beside a stranger's Norvane.exe or from the Startup folder itself.
#include <gtest/gtest.h>

#include <windows.h>

#include "driver.h"

namespace {
class Autostart : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        remove_settings();
        set_windows_version(GetParam());
        all_users_ = recorded_startup_folder(true);
        user_ = recorded_startup_folder(false);
        ASSERT_TRUE(read_file(executable_path(), &program_));
        ASSERT_FALSE(all_users_.empty() || user_.empty());
        TearDown();
    }
    void TearDown() override {
        DeleteFileA((all_users_ + "\\Norvane.exe").c_str());
        DeleteFileA((user_ + "\\Norvane.exe").c_str());
        remove_settings();
    }
    // "program" for the program under test, else the file's first bytes or "<missing>".
    std::string held(const std::string& folder) const {
        std::string bytes;
        if (!read_file(folder + "\\Norvane.exe", &bytes)) return "<missing>";
        return bytes == program_ ? "program" : bytes.substr(0, 40);
    }
    // Sets "Start automatically", presses "&Apply" and waits until the folder (if any) shows the
    // outcome.
    void apply(HWND dialog, bool ticked, const std::string& folder) {
        HWND box = child_by_id(dialog, kGadgetAutoStart);
        auto box_set = [&] { return (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == ticked; };
        // Apply must see the box as set.
        EXPECT_TRUE(box_set() || click_until(box, box_set)) << "the box did not take the click";
        EXPECT_TRUE(apply_config(dialog));
        if (folder.empty()) return;
        const char* outcome = ticked ? "program" : "<missing>";
        EXPECT_TRUE(eventually([&] { return held(folder) == outcome; }, 10000)) << folder << ": " << held(folder);
    }
    std::string program_, all_users_, user_;
};

// Tick and Apply copy the program into the user's own folder and nowhere else; untick removes it.
TEST_P(Autostart, AnAllUsersFolderThatIsMissingOrTakesNoNewFilesLeavesTheCopyToTheUser) {
    NorvaneProcess norvane;
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    const std::string away = all_users_ + ".away";
    ASSERT_TRUE(MoveFileA(all_users_.c_str(), away.c_str()));
    apply(dialog, true, user_);
    MoveFileA(away.c_str(), all_users_.c_str());
    EXPECT_EQ("<missing>", held(all_users_));
    apply(dialog, false, user_);

    ClosedFolder closed(all_users_);
    if (!closed.closed()) GTEST_SKIP() << "chattr +i needs root and ext2/3/4, XFS or Btrfs";
    apply(dialog, true, user_);
    EXPECT_EQ("<missing>", held(all_users_));
    apply(dialog, false, user_);
}

INSTANTIATE_TEST_SUITE_P(Windows, Autostart, ::testing::Values("win7", "winxp"));

class AutostartSource : public Autostart {};

// The copy is the running program, never a Norvane.exe that happens to lie beside it, and the
// program started from the Startup folder keeps its own file.
TEST_P(AutostartSource, TheCopyIsTheRunningProgram) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string download = std::string(temp) + "Norvane (1).exe", stranger = std::string(temp) + "Norvane.exe";
    ASSERT_TRUE(CopyFileA(executable_path().c_str(), download.c_str(), FALSE));
    write_file(stranger, "a stranger's program");
    {
        NorvaneProcess norvane(download.c_str(), Environment());
        HWND dialog = open_config_dialog(norvane);
        ASSERT_TRUE(dialog);
        apply(dialog, true, all_users_);
        apply(dialog, false, all_users_);
    }
    DeleteFileA(download.c_str());
    DeleteFileA(stranger.c_str());

    ASSERT_TRUE(CopyFileA(executable_path().c_str(), (all_users_ + "\\Norvane.exe").c_str(), FALSE));
    NorvaneProcess norvane((all_users_ + "\\Norvane.exe").c_str(), Environment());
    HWND dialog = open_config_dialog(norvane);
    ASSERT_TRUE(dialog);
    // The program's own file is neither copied onto itself nor deleted.
    for (bool ticked : {true, false}) {
        apply(dialog, ticked, "");
        settle(500);
        EXPECT_EQ("program", held(all_users_)) << ticked;
        EXPECT_EQ("<missing>", held(user_)) << ticked;
    }
}

INSTANTIATE_TEST_SUITE_P(PrefixDefault, AutostartSource, ::testing::Values(""));
}  // namespace
