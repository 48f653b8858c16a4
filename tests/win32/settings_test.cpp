// Settings against real files under Wine: loading, saving, share modes, files that cannot be
// written, every step of a save made to fail, huge and hostile files, the autostart copy in the
// Startup folders for each Windows version row, and the configuration dialog's apply.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "dialogs/config_dialog.h"
#include "resource.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"
#include "settings/autostart.h"
#include "settings/preferences.h"
#include "settings/preferences_store.h"
#include "settings/settings.h"
#include "win32_support.h"
#include "../file_encodings.h"
#include "../startup_folders.h"

namespace {
const char kDefaultSummary[] = "100|0|4|1|0|0|0||Arial|8";
const std::string kDefaultFile = settings_file_text(kDefaultSummary);

void write_file(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Makes every folder along path (below an existing root).
void make_folders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), 0);
    }
    CreateDirectoryA(path.c_str(), 0);
}

// Deletes a folder with everything in it.
void remove_tree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(child); else DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

class SettingsFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_program_runtime(); }
    void SetUp() override {
        folder_ = temp_folder("norvane-settings");
        remove_tree(folder_);
        CreateDirectoryA(folder_.c_str(), 0);
        ASSERT_TRUE(exists(folder_) && folder_listing().empty()) << "a fresh folder for every case";
        store_string(&app.windows_dir, folder_.c_str());
        path_ = folder_ + "\\Norvane.ini";
    }
    void TearDown() override {
        close_preferences();
        remove_tree(folder_);
    }
    // Everything in the folder, so that a file left behind shows.
    std::vector<std::string> folder_listing() {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (found.cFileName[0] != '.') names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }
    std::string load_summary() {
        set_settings("-1|-1|-1|-1|-1|-1|-1|stale|stale|-1");
        load_settings();
        return settings_summary();
    }
    std::string folder_;
    std::string path_;
};

const std::vector<std::string> kOnlyTheSettingsFile = {"Norvane.ini"};

TEST_F(SettingsFileTest, FirstStartWithoutFileRunsOnDefaults) {
    EXPECT_EQ(kDefaultSummary, load_summary());
    EXPECT_TRUE(folder_listing().empty()) << "loading creates nothing";
}

TEST_F(SettingsFileTest, SaveWritesExactlyTheTenLinesInOrder) {
    load_summary();
    save_settings();
    EXPECT_EQ(kDefaultFile, read_file(path_));
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());

    const char extremes[] = "-2147483648|2|7|1|0|1|-1|  Lab  |Times New Roman|0";
    set_settings(extremes);
    save_settings();
    EXPECT_EQ(settings_file_text(extremes), read_file(path_));
    // Leading spaces of a text do not survive the file; everything else does.
    EXPECT_EQ("-2147483648|2|7|1|0|1|-1|Lab  |Times New Roman|0", load_summary());
}

TEST_F(SettingsFileTest, SaveDropsLinesOthersAddedAndLoadKeepsTheFileAsItIs) {
    write_file(path_, "; by hand\r\nExtra = 1\r\nLabelPos = 2\r\n");
    const std::string before = read_file(path_);
    EXPECT_EQ("100|0|2|1|0|0|0||Arial|8", load_summary());
    EXPECT_EQ(before, read_file(path_));
    save_settings();
    EXPECT_EQ(settings_file_text("100|0|2|1|0|0|0||Arial|8"), read_file(path_));
}

TEST_F(SettingsFileTest, HandWrittenFilesFollowTheLineRules) {
    struct Row { const char* what; const char* file; const char* summary; } rows[] = {
        {"LF line ends, any case, comments", "; note\nlabelpos=2\n  SHOWIP = 2\nAddToDisplay =   x y \nFontName=Courier New",
         "100|0|2|1|0|0|2|x y |Courier New|8"},
        {"section header hides what follows", "TransAmount = 50\r\n[More]\r\nFontSize = 20\r\n", "50|0|4|1|0|0|0||Arial|8"},
        {"empty custom text and non-numbers", "AddToDisplay = \r\nFontSize = big\r\nTransAmount = 0\r\n", "0|0|4|1|0|0|0||Arial|0"},
        {"first of repeated keys", "LabelPos = 1\r\nLabelPos = 3\r\n", "100|0|1|1|0|0|0||Arial|8"},
        {"beyond 32 bits", "TransAmount = 99999999999\r\nFontSize = -99999999999\r\n", "2147483647|0|4|1|0|0|0||Arial|-2147483648"},
        {"empty file", "", kDefaultSummary},
    };
    for (const Row& r : rows) {
        write_file(path_, r.file);
        EXPECT_EQ(r.summary, load_summary()) << r.what;
    }
}

// A file in each encoding is read as the program's own text, and a save writes it back in that
// encoding, mark included, byte for byte where a value was left as it was.
TEST_F(SettingsFileTest, EveryEncodingIsReadAndWrittenBackAsItCame) {
    if (GetACP() != 1252) GTEST_SKIP() << "the rows are written for the Western code page, not " << GetACP();
    const std::string hand = "TransAmount = 50\r\nLabelPos = 1\r\nAddToDisplay = B\xFCro 2.OG\r\n";
    const char summary[] = "50|0|1|1|0|0|0|B\xFCro 2.OG|Arial|8";
    for (const char* encoding : kFileEncodings) {
        write_file(path_, in_encoding(hand, encoding));
        EXPECT_EQ(summary, load_summary()) << encoding;
        save_settings();
        EXPECT_EQ(in_encoding(settings_file_text(summary), encoding), read_file(path_)) << encoding;
        EXPECT_EQ(summary, load_summary()) << encoding;
    }
    // A character the code page lacks shows as "?" and stays in the file while its value is left.
    const std::string foreign = "AddToDisplay = \xE8\xA1\xA8 B\xC3\xBCro\r\nFontSize = 9\r\n";
    write_file(path_, foreign);
    EXPECT_EQ("100|0|4|1|0|0|0|? B\xFCro|Arial|9", load_summary());
    save_settings();
    std::string expected = in_encoding(settings_file_text("100|0|4|1|0|0|0|? B\xFCro|Arial|9"), "UTF-8");
    expected.replace(expected.find("= ?") + 2, 1, "\xE8\xA1\xA8");
    EXPECT_EQ(expected, read_file(path_));
}

// Under a double-byte code page, characters whose second byte is "\\", "[", "]", "|" or "~"
// round-trip in an ANSI file byte for byte, and read from a UTF-8 file as the code page's own.
TEST_F(SettingsFileTest, DoubleByteCharactersRoundTripInAnsiAndUtf8) {
    const struct {
        UINT code_page;
        const char* text;
    } rows[] = {{932, "\x95\x5C\x83\x5B\x83\x5D\x83\x7C\x83\x7E"},
                {936, "\x81\x5C\x81\x5B\x81\x5D\x81\x7C\x81\x7E"},
                {950, "\xA5\x5C\xA4\x5B\xA4\x5D\xA4\x7C\xA4\x7E"}};
    const auto row = std::find_if(std::begin(rows), std::end(rows), [](const auto& r) { return r.code_page == GetACP(); });
    if (row == std::end(rows)) GTEST_SKIP() << "needs a double-byte code page, not " << GetACP();
    // The summary's separator is one of the trail bytes, so the texts are compared on their own.
    const std::string text = row->text;
    const std::string ansi = "TransAmount = 100\r\nAutoStart = 0\r\nLabelPos = 4\r\nShowComputerName = 1\r\n"
                             "ShowDomainName = 0\r\nShowUserID = 0\r\nShowIP = 0\r\nAddToDisplay = " + text +
                             "\r\nFontName = " + text + "\r\nFontSize = 8\r\n";
    WCHAR wide[512];
    char utf8[1024];
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide, 512);
    const std::string in_utf8(utf8, WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, 0, 0));
    for (const std::string& file : {ansi, in_utf8}) {
        write_file(path_, file);
        load_settings();
        EXPECT_EQ(text, text_or_empty(app.settings.AddToDisplay));
        EXPECT_EQ(text, text_or_empty(app.settings.FontName));
        save_settings();
        EXPECT_EQ(file, read_file(path_));
    }
}

// A custom text longer than the field gives back is cut before a double-byte character, never
// through it, so the file stays valid in the code page and the label keeps its separator.
TEST_F(SettingsFileTest, ALongCustomTextIsCutBetweenDoubleByteCharacters) {
    if (!IsDBCSLeadByte(0x95) || !IsDBCSLeadByte(0x81)) GTEST_SKIP() << "needs a double-byte code page, not " << GetACP();
    std::string text;
    for (int i = 0; i < 20000; ++i) text += GetACP() == 932 ? "\x95\x5C" : "\x81\x5C";
    load_summary();
    ASSERT_TRUE(open_config_dialog());
    set_gadget_text(kGadgetCustomText, text.c_str());
    store_temp_string(&app.settings.AddToDisplay, get_gadget_text(kGadgetCustomText));
    close_window(kConfigWindow);
    const std::string read = text_or_empty(app.settings.AddToDisplay);
    EXPECT_EQ(kGadgetTextLimit - 2, static_cast<int>(read.size())) << "whole characters up to the field's limit";
    EXPECT_EQ(text.substr(0, read.size()), read);
    save_settings();
    const std::string file = read_file(path_);
    EXPECT_NE(std::string::npos, file.find("AddToDisplay = " + read + "\r\nFontName"));
}

TEST_F(SettingsFileTest, WhileLoadedOthersMayReadButNotWrite) {
    write_file(path_, "LabelPos = 1\r\n");
    ASSERT_TRUE(open_preferences(path_.c_str()));
    HANDLE reader = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    CloseHandle(reader);
    HANDLE writer = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_EQ(1, read_preference_number("LabelPos", 4));
    close_preferences();
    EXPECT_EQ(4, read_preference_number("LabelPos", 4)) << "no lookups once closed";
    writer = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, writer);
    CloseHandle(writer);
}

TEST_F(SettingsFileTest, OldFileStaysWholeUntilTheSaveIsClosed) {
    write_file(path_, "LabelPos = 1\r\n");
    ASSERT_TRUE(create_preferences(path_.c_str()));
    write_preference_number("LabelPos", 2);
    EXPECT_EQ("LabelPos = 1\r\n", read_file(path_)) << "readers see the old file meanwhile";
    EXPECT_EQ(4, read_preference_number("LabelPos", 4)) << "no lookups while writing";
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing()) << "the lines wait in memory";
    // Others may hold the file open for reading and writing while the lines are gathered.
    HANDLE other = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, other);
    CloseHandle(other);
    close_preferences();
    EXPECT_EQ("LabelPos = 2\r\n", read_file(path_));
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
}

TEST_F(SettingsFileTest, ReadOnlyHiddenOrSystemFileIsLeftByteForByte) {
    const std::string original = "LabelPos = 1\r\nFontName = Courier\r\n";
    for (DWORD attribute : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        SCOPED_TRACE("attribute " + std::to_string(attribute));
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        write_file(path_, original);
        SetFileAttributesA(path_.c_str(), attribute);
        save_settings();
        EXPECT_EQ(original, read_file(path_));
        EXPECT_EQ(attribute, GetFileAttributesA(path_.c_str()) & attribute);
        EXPECT_EQ(kOnlyTheSettingsFile, folder_listing()) << "no half-made file is left behind";
        EXPECT_EQ("100|0|1|1|0|0|0||Courier|8", load_summary()) << "the file still loads";
    }
}

// When nothing can be made beside the settings file, the lines go straight into it.
TEST_F(SettingsFileTest, FileIsWrittenInPlaceWhenNothingCanBeMadeBesideIt) {
    write_file(path_, "LabelPos = 1\r\n");
    ASSERT_TRUE(CreateDirectoryA((path_ + ".new").c_str(), 0));
    set_settings(kDefaultSummary);
    save_settings();
    EXPECT_EQ(kDefaultFile, read_file(path_));
    EXPECT_TRUE(GetFileAttributesA((path_ + ".new").c_str()) & FILE_ATTRIBUTE_DIRECTORY) << "the folder is not touched";
}

TEST_F(SettingsFileTest, FileLockedByAnotherWriterIsNeitherLoadedNorReplaced) {
    const std::string original = "LabelPos = 1\r\n";
    write_file(path_, original);
    HANDLE other = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_EQ(kDefaultSummary, load_summary());
    save_settings();
    CloseHandle(other);
    EXPECT_EQ(original, read_file(path_));
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
}

// Another program holding the file for a moment (a virus scanner, a backup) is waited out.
DWORD WINAPI hold_briefly(void* file) {
    Sleep(200);
    CloseHandle(file);
    return 0;
}

TEST_F(SettingsFileTest, BriefHoldIsWaitedOut) {
    write_file(path_, "LabelPos = 1\r\n");
    set_settings(kDefaultSummary);
    HANDLE holder = CreateFileA(path_.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    HANDLE thread = CreateThread(0, 0, hold_briefly, holder, 0, 0);
    save_settings();
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_EQ(kDefaultFile, read_file(path_));
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
}

TEST_F(SettingsFileTest, MissingFolderWritesNothing) {
    store_string(&app.windows_dir, (folder_ + "\\absent").c_str());
    save_settings();
    EXPECT_EQ(kDefaultSummary, load_summary());
    EXPECT_TRUE(folder_listing().empty());
}

// The folder's name as the host system sees it, or "" outside Wine.
std::string unix_path(const std::string& path) {
    typedef char*(CDECL * UnixNameProc)(LPCWSTR);
    UnixNameProc unix_name = reinterpret_cast<UnixNameProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "wine_get_unix_file_name")));
    if (!unix_name) return "";
    std::wstring wide(path.begin(), path.end());
    char* name = unix_name(wide.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a host program (Wine starts them like Windows ones) and waits for it; Wine cannot tell
// a host program's exit code, so callers check the program's effect instead.
bool run_host_program(const char* program, std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &command[0], 0, 0, FALSE, 0, 0, 0, &startup, &process)) return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

// True when writing to path fails because the disk is full. The host program that makes the
// link may still be running: its process handle is signalled at once.
bool leads_to_full_device(const std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt, Sleep(20)) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD written = 0;
        const bool refused = !WriteFile(file, "x", 1, &written, 0) && GetLastError() == ERROR_DISK_FULL;
        CloseHandle(file);
        return refused;
    }
    return false;
}

// A copy that cannot be written (its name leads to a device whose disk is full) does not stop
// the save: the lines still go into the file itself.
TEST_F(SettingsFileTest, CopyThatCannotBeWrittenDoesNotStopTheSave) {
    write_file(path_, "LabelPos = 3\r\nAddToDisplay = mine\r\n");
    const std::string pending = unix_path(folder_) + "/Norvane.ini.new";
    if (pending[0] != '/' || !run_host_program("/bin/ln", "/bin/ln -s /dev/full " + pending) ||
        !leads_to_full_device(path_ + ".new")) {
        GTEST_SKIP() << "needs Wine and a host ln to reach a full device";
    }
    set_settings("100|0|2|1|0|0|0|yours|Arial|8");
    save_settings();
    // Wine cannot delete a link to a device, so the link is removed the way it was made.
    run_host_program("/bin/rm", "/bin/rm -f " + pending);
    for (int attempt = 0; attempt < 100 && folder_listing().size() > 1; ++attempt) Sleep(20);
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
    EXPECT_EQ("100|0|2|1|0|0|0|yours|Arial|8", load_summary());
}

// A copy is deleted through the handle that holds it, opened to retire or to write it: while it
// is held no one else can delete it or make another file by its name, and it goes when the
// handle is closed.
TEST_F(SettingsFileTest, ACopyIsDeletedThroughTheHandleThatHoldsIt) {
    const std::string copy = path_ + ".new";
    for (FileOpening how : {OpenToRetire, OpenToCopy}) {
        SCOPED_TRACE(how == OpenToRetire ? "held to retire" : "held to copy");
        write_file(copy, "LabelPos = 2\r\n;\r\n");
        void* held = preferences_file_calls.open(copy.c_str(), how);
        ASSERT_TRUE(held);
        EXPECT_FALSE(DeleteFileA(copy.c_str())) << "another program's delete";
        EXPECT_TRUE(preferences_file_calls.discard(held, copy.c_str()));
        HANDLE other = CreateFileA(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS, 0, 0);
        EXPECT_EQ(INVALID_HANDLE_VALUE, other) << "a new file by the name while the handle is held";
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        EXPECT_TRUE(preferences_file_calls.close(held));
        EXPECT_TRUE(folder_listing().empty());
    }
}

TEST_F(SettingsFileTest, WritesAndReadsOutsideTheirModeDoNothing) {
    write_file(path_, "LabelPos = 1\r\n");
    write_preference_number("LabelPos", 2);
    write_preference_text("FontName", "x");
    EXPECT_EQ(7, read_preference_number("LabelPos", 7));
    ASSERT_TRUE(open_preferences(path_.c_str()));
    write_preference_number("LabelPos", 2);
    close_preferences();
    EXPECT_EQ("LabelPos = 1\r\n", read_file(path_));
    EXPECT_EQ(0, open_preferences((folder_ + "\\absent.ini").c_str()));
    EXPECT_EQ(0, create_preferences((folder_ + "\\absent\\x.ini").c_str()));
    EXPECT_EQ(0, create_preferences(nullptr));
    EXPECT_EQ(0, open_preferences(nullptr));
}

TEST_F(SettingsFileTest, HugeAndHostileFiles) {
    // 50 MB of lines before the one that counts.
    std::string big;
    big.reserve(50u << 20);
    while (big.size() < (50u << 20)) big += "Filler line without any key of ours = 1234567890\r\n";
    big += "FontSize = 42\r\n";
    write_file(path_, big);
    big.clear();
    big.shrink_to_fit();
    EXPECT_EQ("100|0|4|1|0|0|0||Arial|42", load_summary());

    // A custom text longer than the scratch buffer is cut, and the keys after it still read.
    write_file(path_, "AddToDisplay = " + std::string(100000, 'x') + "\r\nFontName = Tahoma\r\n");
    load_summary();
    const std::string custom = text_or_empty(app.settings.AddToDisplay);
    EXPECT_GT(custom.size(), 30000u);
    EXPECT_LT(custom.size(), static_cast<size_t>(kScratchSize));
    EXPECT_EQ(std::string::npos, custom.find_first_not_of('x'));
    EXPECT_STREQ("Tahoma", app.settings.FontName);

    // Keys repeated many times: the first one counts.
    std::string repeated;
    for (int i = 1; i <= 10000; ++i) repeated += "LabelPos = " + std::to_string(i) + "\r\n";
    write_file(path_, repeated);
    EXPECT_EQ("100|0|1|1|0|0|0||Arial|8", load_summary());

    // Every byte value, NULs included: the text ends at the first NUL and nothing breaks.
    std::string binary;
    for (int round = 0; round < 64; ++round) {
        for (int b = 255; b >= 0; --b) binary += static_cast<char>(b);
    }
    write_file(path_, "ShowIP = 1\n" + binary);
    EXPECT_EQ("100|0|4|1|0|0|1||Arial|8", load_summary());
}

TEST_F(SettingsFileTest, TextBlockThatCannotBeAllocatedGivesDefaults) {
    std::string file = "LabelPos = 2\r\n";
    file += std::string(1 << 20, ';');
    write_file(path_, file);
    // Settings strings belong to the heap they came from: empty them before switching heaps.
    free_string(&app.settings.AddToDisplay);
    free_string(&app.settings.FontName);
    HeapHandle usual = runtime_heap;
    HANDLE small = HeapCreate(0, 0x10000, 0x10000);
    ASSERT_TRUE(small);
    runtime_heap = small;
    load_settings();
    const std::string summary = settings_summary();
    free_string(&app.settings.AddToDisplay);
    free_string(&app.settings.FontName);
    runtime_heap = usual;
    HeapDestroy(small);
    EXPECT_EQ(kDefaultSummary, summary);
}

// Two sets of settings that differ from each other and from the defaults in every field, so
// that a load that mixed them, or fell back to a default, shows.
const char kOldSummary[] = "55|1|1|0|1|1|1|old desk|Courier New|11";
const std::string kOldFile = settings_file_text(kOldSummary);
const char kNewSummary[] = "30|2|3|2|2|2|2|new desk|Tahoma|14";
const std::string kNewFile = settings_file_text(kNewSummary);
const char kCopyEnd[] = ";\r\n";  // as earlier versions ended a copy

// Whether text is a copy written to its end: a last line of ";", or of "; " and a stamp of
// hexadecimal digits and dots. Its text is then what stands before that line.
bool ends_as_copy(const std::string& text, std::string* before = nullptr) {
    if (text.size() < 3 || text.compare(text.size() - 2, 2, "\r\n") != 0) return false;
    const size_t line = text.rfind('\n', text.size() - 3) + 1;  // 0 when it is the only line
    const std::string last = text.substr(line, text.size() - 2 - line);
    const bool ends = last == ";" || (last.size() > 2 && last.compare(0, 2, "; ") == 0 &&
                                      last.find_first_not_of("0123456789abcdef.", 2) == std::string::npos);
    if (ends && before) *before = text.substr(0, line);
    return ends;
}

// The save's file calls go through counting stand-ins around the system's. One call fails, or,
// when the process ends there, that call and every later one; the handles are closed all the
// same, as the system closes a dead process's handles.
struct Injection {
    int fail_at;               // the 1-based number of the failing call; 0 = none
    bool process_ends;
    DWORD written_part;        // a failing write: 0 none, 1 half, 2 all but one of the bytes asked for
    bool folder_closed;        // the folder takes no new files
    bool file_takes_no_write;  // every write into the settings file itself stops half-way
    bool disk_full;            // no file grows: writes stop at a file's present end
};
Injection injection;
std::string settings_file;
std::vector<void*> settings_writers;
std::vector<void*> open_handles;
std::vector<std::string> calls_seen;
PreferencesFileCalls system_calls;

bool call_fails(const char* name) {
    calls_seen.push_back(name);
    const int n = static_cast<int>(calls_seen.size());
    return injection.fail_at && n >= injection.fail_at && (n == injection.fail_at || injection.process_ends);
}

bool open_refused;

void* counted_open(const char* path, FileOpening how) {
    const bool creates = how == OpenToRewrite || how == OpenToOverwrite || how == OpenToCopy;
    open_refused = call_fails("open") || (injection.folder_closed && creates && system_calls.standing(path) == PathFree);
    if (open_refused) return nullptr;
    void* file = system_calls.open(path, how);
    if (file) open_handles.push_back(file);
    if (file && creates && settings_file == path) settings_writers.push_back(file);
    return file;
}

FileFailure counted_failure() { return open_refused ? FileRefused : system_calls.failure(); }

bool counted_size(void* file, unsigned long* size) { return !call_fails("size") && system_calls.size(file, size); }

bool counted_read(void* file, char* bytes, unsigned long length) {
    return !call_fails("read") && system_calls.read(file, bytes, length);
}

// Decides how many of the bytes asked for reach the file.
bool counted_write(void* file, unsigned long at, const char* bytes, unsigned long length) {
    const bool first_failure = static_cast<int>(calls_seen.size()) + 1 == injection.fail_at;
    unsigned long part = length;
    bool succeeds = true;
    if (call_fails("write")) {
        const unsigned long parts[] = {0, length / 2, length ? length - 1 : 0};
        part = first_failure ? parts[injection.written_part] : 0;
        succeeds = false;
    }
    const bool settings_writer =
        std::find(settings_writers.begin(), settings_writers.end(), file) != settings_writers.end();
    if (injection.file_takes_no_write && settings_writer) {
        part = part < length / 2 ? part : length / 2;
        succeeds = false;
    }
    if (injection.disk_full) {
        const DWORD end = GetFileSize(file, 0);
        const unsigned long room = end > at ? end - at : 0;
        if (part > room) {
            part = room;
            succeeds = false;
        }
    }
    if (part && !system_calls.write(file, at, bytes, part)) return false;
    return succeeds;
}

bool counted_cut(void* file, unsigned long length) { return !call_fails("cut") && system_calls.cut(file, length); }

FlushResult counted_flush(void* file) { return call_fails("flush") ? FlushFailed : system_calls.flush(file); }

bool counted_close(void* file) {
    const bool fails = call_fails("close");
    open_handles.erase(std::remove(open_handles.begin(), open_handles.end(), file), open_handles.end());
    const bool closed = system_calls.close(file);
    return !fails && closed;
}

bool counted_remove(const char* path) { return !call_fails("remove") && system_calls.remove(path); }

bool counted_discard(void* file, const char* path) { return !call_fails("discard") && system_calls.discard(file, path); }

// The failures a write can meet, and the one every other call can.
struct WriteFailure {
    const char* what;
    DWORD written_part;
};
const WriteFailure kWriteFailures[] = {{"refused", 0}, {"refused half-way", 1}, {"refused before its last byte", 2}};
const WriteFailure kCallRefused = {"refused", 0};

struct SaveScenario {
    const char* what;
    bool file_before;
    bool folder_closed;
};

class SaveFaultTest : public SettingsFileTest {
protected:
    void SetUp() override {
        SettingsFileTest::SetUp();
        system_calls = preferences_file_calls;
        counted_ = system_calls;
        counted_.open = counted_open;
        counted_.failure = counted_failure;
        counted_.size = counted_size;
        counted_.read = counted_read;
        counted_.write = counted_write;
        counted_.cut = counted_cut;
        counted_.flush = counted_flush;
        counted_.close = counted_close;
        counted_.remove = counted_remove;
        counted_.discard = counted_discard;
    }
    void TearDown() override {
        preferences_file_calls = system_calls;
        SettingsFileTest::TearDown();
    }
    void prepare(const SaveScenario& s) {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
        DeleteFileA((path_ + ".new").c_str());
        if (s.file_before) write_file(path_, kOldFile);
        set_settings(kNewSummary);
    }
    // One whole save through the stand-ins; what the next start then reads.
    std::string save_with(const SaveScenario& s, const Injection& fault) {
        prepare(s);
        injection = fault;
        injection.folder_closed = s.folder_closed;
        settings_file = path_;
        settings_writers.clear();
        calls_seen.clear();
        preferences_file_calls = counted_;
        save_settings();
        preferences_file_calls = system_calls;
        // The system closes what a process that ended left open.
        for (void* file : open_handles) system_calls.close(file);
        open_handles.clear();
        return load_summary();
    }
    // Every call of the save refused in turn, and the process ended before every call in turn.
    // Returns the number of saves run.
    int fail_every_call(const SaveScenario& s) {
        const std::string before = s.file_before ? kOldSummary : kDefaultSummary;
        const bool saves = s.file_before || !s.folder_closed;
        EXPECT_EQ(saves ? kNewSummary : before, save_with(s, Injection())) << s.what << ", no failure";
        const std::vector<std::string> road = calls_seen;
        std::string names;
        for (const std::string& name : road) names += " " + name;
        std::printf("%s: %d calls:%s\n", s.what, static_cast<int>(road.size()), names.c_str());
        int runs = 1;
        for (int k = 1; k <= static_cast<int>(road.size()); ++k) {
            const bool write = road[k - 1] == "write";
            const std::vector<WriteFailure> failures =
                write ? std::vector<WriteFailure>(std::begin(kWriteFailures), std::end(kWriteFailures))
                      : std::vector<WriteFailure>{kCallRefused};
            for (const WriteFailure& f : failures) {
                const std::string what = std::string(s.what) + ", call " + std::to_string(k) + " " + road[k - 1] + " " + f.what;
                const Injection single = {k, false, f.written_part, false, false, false};
                // One failed call never costs the save: every step that can fail is tried again
                // or has a second road.
                const std::string loaded = save_with(s, single);
                ++runs;
                EXPECT_EQ(saves ? kNewSummary : before, loaded) << what;
                if (saves) EXPECT_EQ(kNewFile, read_file(path_)) << what;
                for (const std::string& name : folder_listing())
                    EXPECT_TRUE(name == "Norvane.ini" || name == "Norvane.ini.new") << what << ": " << name;
            }
            // The process ends before call k, or in the middle of the write that is call k.
            for (DWORD part : {0u, 1u}) {
                if (part && !write) continue;
                const std::string what = std::string(s.what) + ", process ends at call " + std::to_string(k) + " " +
                                         road[k - 1] + (part ? " half-way" : "");
                const Injection end = {k, true, part, false, false, false};
                const std::string loaded = save_with(s, end);
                ++runs;
                EXPECT_TRUE(loaded == before || loaded == kNewSummary) << what << ": " << loaded;
            }
        }
        return runs;
    }
    PreferencesFileCalls counted_;
};

// Every file call of one save through the system's own calls on real files is made to fail, one
// at a time, and the process is ended before each call; after each run the next start reads
// the old settings or the new, whole, never the defaults when a file existed.
TEST_F(SaveFaultTest, NoFailedStepLosesTheSettings) {
    const SaveScenario scenarios[] = {
        {"file before", true, false},
        {"first save", false, false},
        {"folder takes no new files", true, true},
        {"folder takes no new files, first save", false, true},
    };
    int runs = 0;
    for (const SaveScenario& s : scenarios) runs += fail_every_call(s);
    std::printf("%d saves\n", runs);
}

// The file itself takes no complete write (it lies on a full volume, say) while the copy beside
// it does: the copy stays, the next start loads the new settings from it and mends the file.
TEST_F(SaveFaultTest, FileThatTakesNoCompleteWriteKeepsItsCopy) {
    Injection stuck = {};
    stuck.file_takes_no_write = true;
    for (bool file_before : {true, false}) {
        const SaveScenario s = {file_before ? "file before" : "first save", file_before, false};
        prepare(s);
        injection = stuck;
        settings_file = path_;
        settings_writers.clear();
        preferences_file_calls = counted_;
        save_settings();
        preferences_file_calls = system_calls;
        EXPECT_NE(kNewFile, read_file(path_)) << s.what;
        std::string copied;
        EXPECT_TRUE(ends_as_copy(read_file(path_ + ".new"), &copied)) << s.what;
        EXPECT_EQ(kNewFile, copied) << s.what;
        EXPECT_EQ(kNewSummary, load_summary()) << s.what;
        EXPECT_EQ(kNewFile, read_file(path_)) << s.what << ": mended by the load";
        EXPECT_EQ(kOnlyTheSettingsFile, folder_listing()) << s.what;
    }
}

// On a full disk no copy can be made and the file cannot grow: a new text that fits where the
// old one was is written, a longer one is undone, so the file keeps its old text whole.
TEST_F(SaveFaultTest, FullDiskKeepsTheOldTextOrFitsTheNewOne) {
    Injection full = {};
    full.disk_full = true;
    const SaveScenario s = {"full disk", true, false};
    EXPECT_EQ(kNewSummary, save_with(s, full)) << "the new text is shorter than the old";
    EXPECT_EQ(kNewFile, read_file(path_));
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
    const std::string shorter = "LabelPos = 2\r\nFontName = Courier New\r\n";
    prepare(s);
    write_file(path_, shorter);
    injection = full;
    preferences_file_calls = counted_;
    save_settings();
    preferences_file_calls = system_calls;
    EXPECT_EQ(shorter, read_file(path_)) << "the longer new text is undone";
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
}

// A save cut short after emptying the file leaves it missing or holding the first part of the
// complete copy, or NUL bytes where a power loss lost its writes; only then is the copy loaded,
// and the file mended from it. Any other file wins, and a complete copy beside it is deleted.
TEST_F(SettingsFileTest, CompleteCopyIsLoadedOnlyForAFileCutShortOnItsWay) {
    const std::string file = kNewFile;
    const std::string copy = file + kCopyEnd;
    const std::string no_file = "<missing>";
    std::string zeroed = file;
    zeroed.replace(20, 30, 30, '\0');
    struct Row {
        const char* what;
        std::string file;  // no_file: none
        std::string copy;  // empty: none
        const char* summary;
        std::string file_after;
    } rows[] = {
        {"file missing", no_file, copy, kNewSummary, file},
        {"file emptied", "", copy, kNewSummary, file},
        {"file holds the first lines", file.substr(0, 60), copy, kNewSummary, file},
        {"file lacks its last byte", file.substr(0, file.size() - 1), copy, kNewSummary, file},
        {"file NUL-filled", std::string(file.size(), '\0'), copy, kNewSummary, file},
        {"file with NUL bytes where writes were lost", zeroed, copy, kNewSummary, file},
        {"file complete", file, copy, kNewSummary, file},
        {"file emptied, the copy stamped", "", file + "; 1f4.3e8.2\r\n", kNewSummary, file},
        {"file edited by hand, the copy stamped", "LabelPos = 2\r\n", file + "; 1f4.3e8.2\r\n", "100|0|2|1|0|0|0||Arial|8",
         "LabelPos = 2\r\n"},
        {"copy whose stamp was cut", "", file + "; 1f4.3e", kDefaultSummary, ""},
        {"file holds other settings", kOldFile, copy, kOldSummary, kOldFile},
        {"file edited by hand", "LabelPos = 2\r\n", copy, "100|0|2|1|0|0|0||Arial|8", "LabelPos = 2\r\n"},
        {"file longer than the copy", file + "LabelPos = 4\r\n", copy, kNewSummary, file + "LabelPos = 4\r\n"},
        {"copy without its end line", no_file, file, kDefaultSummary, no_file},
        {"copy cut short", "TransAmount = 30\r\n", copy.substr(0, copy.size() - 1), "30|0|4|1|0|0|0||Arial|8",
         "TransAmount = 30\r\n"},
        {"copy cut after a value ending in ;", "", "TransAmount = 30\r\nAddToDisplay = x;\r\n", kDefaultSummary, ""},
        {"no copy", "", "", kDefaultSummary, ""},
    };
    for (const Row& r : rows) {
        DeleteFileA(path_.c_str());
        DeleteFileA((path_ + ".new").c_str());
        if (r.file != no_file) write_file(path_, r.file);
        if (!r.copy.empty()) write_file(path_ + ".new", r.copy);
        const bool complete = ends_as_copy(r.copy);
        EXPECT_EQ(r.summary, load_summary()) << r.what;
        EXPECT_EQ(r.file_after, read_file(path_)) << r.what;
        EXPECT_EQ(complete || r.copy.empty() ? "<missing>" : r.copy, read_file(path_ + ".new")) << r.what;
    }
}

// The autostart copy in the Startup folders this prefix records, and in a folder built from the
// environment where none is recorded. The copy is this test program, the running module.
class AutostartTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_program_runtime(); }
    void SetUp() override {
        char module[MAX_PATH] = "";
        GetModuleFileNameA(0, module, sizeof module);
        program_ = read_file(module);
        all_users_ = recorded_startup_folder(true);
        user_ = recorded_startup_folder(false);
        ASSERT_TRUE(exists(all_users_) && exists(user_)) << all_users_ << " / " << user_;
        root_ = temp_folder("norvane-autostart");
        remove_tree(root_);
        for (const char* name : kVariables) {
            char value[512] = "";
            saved_.push_back(GetEnvironmentVariableA(name, value, sizeof value) ? value : "");
        }
        saved_os_code_ = app.os_code;
    }
    void TearDown() override {
        for (size_t i = 0; i < saved_.size(); ++i) {
            SetEnvironmentVariableA(kVariables[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
        }
        app.os_code = saved_os_code_;
        if (forgotten_) replace_import("GetProcAddress", real_lookup_);
        if (forgotten_) set_recorded_all_users(all_users_.c_str());
        DeleteFileA(all_users_copy().c_str());
        DeleteFileA(user_copy().c_str());
        remove_tree(root_);
    }
    // "program" for a copy of this test program, else the file's first bytes or "<missing>".
    std::string held(const std::string& path) const {
        const std::string bytes = read_file(path);
        return bytes == program_ ? "program" : bytes.substr(0, 40);
    }
    std::string all_users_copy() const { return all_users_ + "\\Norvane.exe"; }
    std::string user_copy() const { return user_ + "\\Norvane.exe"; }
    static void set_recorded_all_users(const char* folder) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_SET_VALUE, &key));
        if (folder) RegSetValueExA(key, "Common Startup", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), lstrlenA(folder) + 1);
        else RegDeleteValueA(key, "Common Startup");
        RegCloseKey(key);
    }
    // As on a Windows without the Internet Explorer 4 shell, whose registry records no
    // all-users folder: the special-folder calls are not there (Wine rewrites the recorded value
    // whenever they are asked, even where they fail).
    void forget_all_users_folder() {
        real_lookup_ = replace_import("GetProcAddress", reinterpret_cast<void*>(without_folder_calls));
        ASSERT_TRUE(real_lookup_);
        forgotten_ = true;
        set_recorded_all_users(nullptr);
    }
    static FARPROC WINAPI without_folder_calls(HMODULE module, LPCSTR name) {
        const bool folder_call = HIWORD(reinterpret_cast<ULONG_PTR>(name)) &&
                                 (!lstrcmpA(name, "SHGetSpecialFolderPathA") || !lstrcmpA(name, "SHGetFolderPathA"));
        return folder_call ? 0 : reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(real_lookup_)(module, name);
    }

    static constexpr const char* kVariables[3] = {"winbootdir", "windir", "ALLUSERSPROFILE"};
    std::string program_, all_users_, user_, root_;
    std::vector<std::string> saved_;
    int saved_os_code_ = 0;
    bool forgotten_ = false;
    static void* real_lookup_;
};
void* AutostartTest::real_lookup_ = 0;

TEST_F(AutostartTest, WithoutTheShellsCallTheRecordedValueThenTheEnvironmentNameTheFolder) {
    forget_all_users_folder();
    const std::string recorded = root_ + "\\Gemeinsamer Autostart";
    make_folders(recorded);
    set_recorded_all_users(recorded.c_str());
    app.os_code = 60;
    install_autostart();
    EXPECT_EQ("program", held(recorded + "\\Norvane.exe"));
    remove_autostart();
    EXPECT_EQ("<missing>", held(recorded + "\\Norvane.exe"));
    set_recorded_all_users(nullptr);
    struct Row { int code; const char* variable; const char* folder; } rows[] = {
        {20, "windir", "\\Profiles\\All Users\\Start Menu\\Programs\\Startup"},
        {100, "ALLUSERSPROFILE", "\\Start Menu\\Programs\\Startup"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("os code " + std::to_string(r.code));
        app.os_code = r.code;
        const std::string base = root_ + "\\" + r.variable;
        make_folders(base + r.folder);
        SetEnvironmentVariableA(r.variable, base.c_str());
        install_autostart();
        EXPECT_EQ("program", held(base + r.folder + "\\Norvane.exe"));
        EXPECT_EQ("<missing>", held(user_copy()));
        remove_autostart();
        EXPECT_EQ("<missing>", held(base + r.folder + "\\Norvane.exe"));
    }
    // The Windows 95 family's one recorded Startup folder stands in; with no variable set the
    // copy goes to the user's own folder rather than to a path built from nothing.
    app.os_code = 30;
    SetEnvironmentVariableA("winbootdir", (root_ + "\\winbootdir").c_str());
    install_autostart();
    EXPECT_EQ("program", held(user_copy()));
    app.os_code = 100;
    SetEnvironmentVariableA("ALLUSERSPROFILE", nullptr);
    remove_autostart();
    EXPECT_EQ("<missing>", held(user_copy()));
    install_autostart();
    EXPECT_EQ("program", held(user_copy()));
}

// A downloaded program carries the web's mark in a stream, and on Windows copying the file
// takes the stream along (Wine's copy does not: the stand-in below copies it as Windows does).
// The Startup copy loses the mark, so the shell starts it without asking; the program's own
// file keeps it. The Windows 95 family's file systems have no streams to look at.
void* real_copy_file = 0;
const char kWebMark[] = ":Zone.Identifier";
const char kMarkText[] = "[ZoneTransfer]\r\nZoneId=3\r\n";

BOOL WINAPI copy_with_streams(LPCSTR from, LPCSTR to, BOOL fail_if_exists) {
    if (!reinterpret_cast<BOOL(WINAPI*)(LPCSTR, LPCSTR, BOOL)>(real_copy_file)(from, to, fail_if_exists)) return FALSE;
    const std::string mark = read_file(std::string(from) + kWebMark);
    if (mark != "<missing>") write_file(std::string(to) + kWebMark, mark);
    return TRUE;
}

TEST_F(AutostartTest, TheCopyLosesTheWebsMarkAndTheProgramKeepsIt) {
    char module[MAX_PATH] = "";
    GetModuleFileNameA(0, module, sizeof module);
    const std::string program_mark = std::string(module) + kWebMark;
    write_file(program_mark, kMarkText);
    ASSERT_EQ(kMarkText, read_file(program_mark)) << "this file system keeps no streams";
    real_copy_file = replace_import("CopyFileA", reinterpret_cast<void*>(copy_with_streams));
    ASSERT_TRUE(real_copy_file);
    struct Row { int code; const char* copy_mark; } rows[] = {{100, "<missing>"}, {60, "<missing>"}, {30, kMarkText}};
    for (const Row& r : rows) {
        SCOPED_TRACE("os code " + std::to_string(r.code));
        app.os_code = r.code;
        install_autostart();
        const std::string copy = exists(all_users_copy()) ? all_users_copy() : user_copy();
        EXPECT_EQ("program", held(copy));
        EXPECT_EQ(r.copy_mark, read_file(copy + kWebMark)) << "the copy's mark";
        EXPECT_EQ(kMarkText, read_file(program_mark)) << "the program's own mark";
        remove_autostart();
    }
    replace_import("CopyFileA", real_copy_file);
    DeleteFileA(program_mark.c_str());
}

// Apply takes the dialog's boxes and text, installs or removes the copy and renders the label.
TEST_F(AutostartTest, ApplyTakesOverTheDialogAndFollowsTheAutostartBox) {
    store_string(&app.identity.computer_name, "PC1");
    store_string(&app.identity.domain_name, "CORP");
    store_string(&app.identity.user_name, "jsmith");
    store_string(&app.identity.ip_address, "10.0.0.5");
    set_settings(kDefaultSummary);
    app.os_code = 100;
    const std::string target = all_users_copy();

    ASSERT_TRUE(open_config_dialog());
    set_gadget_state(kGadgetShowComputerName, 1);
    set_gadget_state(kGadgetShowDomainName, 0);
    set_gadget_state(kGadgetShowUserID, 1);
    set_gadget_state(kGadgetShowIP, 1);
    set_gadget_state(kGadgetAutoStart, 1);
    set_gadget_text(kGadgetCustomText, "Lab");
    write_file(user_copy(), "older");
    write_file(target, "stale");
    apply_settings();
    pump_messages();
    EXPECT_EQ("100|1|4|1|0|1|1|Lab|Arial|8", settings_summary());
    EXPECT_STREQ(" Lab PC1 <jsmith> 10.0.0.5 ", app.label_text);
    EXPECT_EQ("program", held(target)) << "the running program replaces an older copy";
    EXPECT_EQ("<missing>", held(user_copy())) << "one copy starts the program once";

    set_gadget_state(kGadgetAutoStart, 0);
    set_gadget_text(kGadgetCustomText, "");
    apply_settings();
    pump_messages();
    EXPECT_EQ(0, app.settings.AutoStart);
    EXPECT_STREQ(" PC1 <jsmith> 10.0.0.5 ", app.label_text);
    EXPECT_FALSE(exists(target));
    write_file(user_copy(), "older");
    apply_settings();
    EXPECT_EQ("<missing>", held(user_copy())) << "unticking removes the user's copy too";
    close_window(kConfigWindow);
    close_window(kLabelWindow);
    pump_messages();
}
}  // namespace
