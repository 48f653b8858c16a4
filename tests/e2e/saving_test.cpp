// "&Close" while another program holds the settings file open, while the file is reached
// through a hard or a symbolic link, and in a Windows directory that takes no new files: the
// file ends with its old text or the new one, whole, the next start reads it, and the program
// keeps running. Then what a save cut short leaves, and copies that outlive their save.
#include <gtest/gtest.h>

#include <windows.h>

#include "driver.h"
#include "../file_encodings.h"

namespace {
const char kOldFile[] = "LabelPos = 1\r\nAddToDisplay = old desk\r\n";
// What "&Close" writes once the custom text reads "new desk".
const char kNewFile[] =
    "TransAmount = 100\r\nAutoStart = 0\r\nLabelPos = 1\r\nShowComputerName = 1\r\n"
    "ShowDomainName = 0\r\nShowUserID = 0\r\nShowIP = 0\r\nAddToDisplay = new desk\r\n"
    "FontName = Arial\r\nFontSize = 8\r\n";

std::string copy_path() { return settings_path() + ".new"; }

class Saving : public ::testing::Test {
protected:
    void SetUp() override { remove_settings(); }
    void TearDown() override { remove_settings(); }

    // Opens the configuration dialog, sets the custom text to "new desk" and presses "&Close";
    // true once the dialog is gone.
    static bool save_new_desk(NorvaneProcess& norvane) {
        HWND dialog = open_config_dialog(norvane);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(child_by_id(dialog, kGadgetCustomText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new desk"),
                            SMTO_ABORTIFHUNG, 2000, &ignored);
        return close_config_dialog(dialog);
    }
    // What the label of a fresh start says.
    static std::string next_start_label() { return NorvaneProcess().label_text(); }
    static std::string label_with(const char* custom_text) {
        return std::string(" ") + custom_text + " " + registry_computer_name() + " ";
    }
};

TEST_F(Saving, WhileAnotherProgramHoldsTheFileOpen) {
    // The other program reads the file; it is rewritten only where the other allows writing.
    const struct {
        const char* what;
        DWORD share;
        bool saved;
    } rows[] = {
        {"read", FILE_SHARE_READ, false},
        {"read and write", FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"read, write and delete", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
        {"nothing", 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("shared for ") + row.what);
        remove_settings();
        write_file(settings_path(), kOldFile);
        {
            NorvaneProcess norvane;
            ASSERT_TRUE(norvane.wait_label());
            HeldFile holder(settings_path(), GENERIC_READ, row.share);
            ASSERT_TRUE(holder.held());
            ASSERT_TRUE(save_new_desk(norvane));
            EXPECT_TRUE(norvane.running());
            EXPECT_TRUE(norvane.wait_label(2000));
        }
        EXPECT_EQ(row.saved ? kNewFile : kOldFile, contents(settings_path()));
        EXPECT_EQ("<missing>", contents(copy_path())) << "no copy is left";
        EXPECT_EQ(label_with(row.saved ? "new desk" : "old desk"), next_start_label());
    }
}

TEST_F(Saving, AHardLinkKeepsPointingAtTheSavedFile) {
    write_file(settings_path(), kOldFile);
    const std::string other = windows_directory() + "\\Norvane-other-name.ini";
    DeleteFileA(other.c_str());
    ASSERT_TRUE(CreateHardLinkA(other.c_str(), settings_path().c_str(), 0));
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        ASSERT_TRUE(save_new_desk(norvane));
        EXPECT_TRUE(norvane.running());
    }
    EXPECT_EQ(kNewFile, contents(settings_path()));
    EXPECT_EQ(kNewFile, contents(other)) << "both names lead to the one file";
    EXPECT_EQ("<missing>", contents(copy_path()));
    EXPECT_EQ(label_with("new desk"), next_start_label());
    DeleteFileA(other.c_str());
}

// Wine 8 reports success for CreateSymbolicLinkA but makes no link; the host's ln makes one that
// Wine follows as Windows follows its own.
TEST_F(Saving, ASymbolicLinkKeepsPointingAtTheSavedFile) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string target = std::string(temp) + "norvane-link-target.ini";
    write_file(target, kOldFile);
    typedef BOOLEAN(WINAPI * CreateSymbolicLinkProc)(LPCSTR, LPCSTR, DWORD);
    CreateSymbolicLinkProc create_link = reinterpret_cast<CreateSymbolicLinkProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "CreateSymbolicLinkA")));
    if (create_link) create_link(settings_path().c_str(), target.c_str(), 0);
    const std::string host_link = unix_path(settings_path());
    if (contents(settings_path()) != kOldFile && !host_link.empty()) {
        remove_settings();
        start_host_program("/bin/ln", "/bin/ln -s " + unix_path(target) + " " + host_link);
        eventually([&] { return contents(settings_path()) == kOldFile; });
    }
    if (contents(settings_path()) != kOldFile) {
        DeleteFileA(target.c_str());
        GTEST_SKIP() << "no symbolic link could be made";
    }
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        ASSERT_TRUE(save_new_desk(norvane));
        EXPECT_TRUE(norvane.running());
    }
    EXPECT_EQ(kNewFile, contents(target)) << "the file the link leads to holds the new settings";
    write_file(target, "LabelPos = 2\r\n");
    EXPECT_EQ("LabelPos = 2\r\n", contents(settings_path())) << "the settings file is still the link";
    write_file(target, kNewFile);
    EXPECT_EQ(label_with("new desk"), next_start_label());
    if (!host_link.empty()) start_host_program("/bin/rm", "/bin/rm -f " + host_link);
    eventually([&] { return contents(settings_path()) == "<missing>"; });
    DeleteFileA(target.c_str());
}

TEST_F(Saving, AWindowsDirectoryThatTakesNoNewFiles) {
    write_file(settings_path(), kOldFile);
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        ClosedFolder folder(windows_directory());
        if (!folder.closed())
            GTEST_SKIP() << "the folder could not be made immutable (chattr +i needs root and ext2/3/4, XFS or Btrfs)";
        ASSERT_TRUE(save_new_desk(norvane));
        EXPECT_TRUE(norvane.running());
        EXPECT_TRUE(norvane.wait_label(2000));
        EXPECT_EQ(kNewFile, contents(settings_path())) << "written in place";
        EXPECT_EQ("<missing>", contents(copy_path()));
    }
    EXPECT_EQ(label_with("new desk"), next_start_label());
}
}  // namespace

// What a save cut short leaves, and copies that outlive their save, met by the real program.
class SavingLeftovers : public Saving {
protected:
    static std::string copy_of(const char* text) { return std::string(text) + ";\r\n"; }
};

// A power loss can leave the file at its new length with NUL bytes where the writes were lost:
// the complete copy beside it is loaded, and the file mended from it.
TEST_F(SavingLeftovers, NulFilledFileBesideACompleteCopyGivesTheCopysSettings) {
    write_file(settings_path(), std::string(sizeof kNewFile - 1, '\0'));
    write_file(copy_path(), copy_of(kNewFile));
    EXPECT_EQ(label_with("new desk"), next_start_label());
    EXPECT_EQ(kNewFile, contents(settings_path()));
    EXPECT_EQ("<missing>", contents(copy_path()));
}

// Another program holds the copy open while the save runs, sharing reading and writing but not
// deletion, so the save cannot delete it: it empties it, and a file the user empties afterwards
// gives the defaults, not that copy.
TEST_F(SavingLeftovers, CopyThatCouldNotBeDeletedIsNeverTakenOverAnEmptiedFile) {
    write_file(settings_path(), kOldFile);
    HeldFile holder(copy_path(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    ASSERT_TRUE(holder.held());
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        ASSERT_TRUE(save_new_desk(norvane));
        EXPECT_TRUE(norvane.running());
    }
    holder.release();
    EXPECT_EQ(kNewFile, contents(settings_path()));
    EXPECT_EQ("", contents(copy_path())) << "emptied, as it could not be deleted";
    write_file(settings_path(), "");
    EXPECT_EQ(" " + registry_computer_name() + " ", next_start_label());
}

// The start loads a complete copy over a file cut short and mends the file, while another
// program holds the copy without sharing writes, so it can be neither emptied nor deleted;
// "&Close" then writes the new ten lines whole into the file itself.
TEST_F(SavingLeftovers, CopyHeldWithoutWriteSharingStillLetsTheSaveLand) {
    write_file(copy_path(), copy_of(kOldFile));
    write_file(settings_path(), std::string(kOldFile).substr(0, 20));
    HeldFile holder(copy_path(), GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS);
    ASSERT_TRUE(holder.held());
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        EXPECT_EQ(label_with("old desk"), norvane.label_text()) << "the copy was loaded";
        EXPECT_EQ(kOldFile, contents(settings_path())) << "and the file mended from it";
        ASSERT_TRUE(save_new_desk(norvane));
        EXPECT_TRUE(norvane.running());
    }
    EXPECT_EQ(kNewFile, contents(settings_path()));
    EXPECT_EQ(label_with("new desk"), next_start_label());
    // The one case left: while the copy is held so, a file emptied by the user is taken for one
    // cut short, and the copy is loaded; once it is let go, the next start retires it.
    write_file(settings_path(), "");
    EXPECT_EQ(label_with("old desk"), next_start_label());
    holder.release();
    EXPECT_EQ(label_with("old desk"), next_start_label());
    EXPECT_EQ("<missing>", contents(copy_path()));
}

namespace {
// A file as Notepad or a script writes it, in each encoding: the label shows its settings, and
// "&Close" writes the file back in its encoding, mark included.
TEST(SavingEncodings, EveryEncodingShowsOnTheLabelAndIsWrittenBackAsItCame) {
    if (GetACP() != 1252) GTEST_SKIP() << "the rows are written for the Western code page, not " << GetACP();
    const std::string hand = "TransAmount = 50\r\nLabelPos = 1\r\nAddToDisplay = B\xFCro 2.OG\r\n";
    const std::string saved =
        "TransAmount = 50\r\nAutoStart = 0\r\nLabelPos = 1\r\nShowComputerName = 1\r\nShowDomainName = 0\r\n"
        "ShowUserID = 0\r\nShowIP = 0\r\nAddToDisplay = B\xFCro 2.OG\r\nFontName = Arial\r\nFontSize = 8\r\n";
    for (const char* encoding : kFileEncodings) {
        SCOPED_TRACE(encoding);
        remove_settings();
        write_file(settings_path(), in_encoding(hand, encoding));
        NorvaneProcess norvane;
        HWND label = norvane.wait_label();
        ASSERT_TRUE(label);
        EXPECT_EQ(" B\xFCro 2.OG " + registry_computer_name() + " ", norvane.label_text());
        BYTE alpha = 0;
        EXPECT_TRUE(GetLayeredWindowAttributes(label, 0, &alpha, 0));
        EXPECT_EQ(127, alpha);
        const RECT area = work_area(), rect = rect_of(label);
        EXPECT_EQ(area.left, rect.left);
        EXPECT_EQ(area.top, rect.top);
        HWND dialog = open_config_dialog(norvane);
        ASSERT_TRUE(close_config_dialog(dialog));
        std::string bytes;
        EXPECT_TRUE(eventually([&] { return read_file(settings_path(), &bytes) && bytes == in_encoding(saved, encoding); }));
        EXPECT_EQ(in_encoding(saved, encoding), bytes);
    }
    remove_settings();
}
}  // namespace
