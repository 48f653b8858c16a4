// Settings against real files under Wine: loading, saving, share modes, files that cannot be
// written, huge and hostile files, the autostart copy for each Windows version row, and the
// configuration dialog's apply.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "dialogs/config_dialog.h"
#include "runtime/graphics/drawing.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/menus.h"
#include "runtime/gui/window_events.h"
#include "settings/autostart.h"
#include "settings/preferences.h"
#include "settings/settings.h"
#include "app/program.h"
#include "win32_support.h"

namespace {
const char kDefaultFile[] =
    "TransAmount = 100\r\nAutoStart = 0\r\nLabelPos = 4\r\nShowComputerName = 1\r\n"
    "ShowDomainName = 0\r\nShowUserID = 0\r\nShowIP = 0\r\nAddToDisplay = \r\n"
    "FontName = Arial\r\nFontSize = 8\r\n";
const char kDefaultSummary[] = "100|0|4|1|0|0|0||Arial|8";

class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        init_runtime(GetModuleHandleA(0));
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

std::string temp_folder(const char* name) {
    char base[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + name + "-" + std::to_string(GetCurrentProcessId());
}

std::string read_file(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, 0), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, 0);
    CloseHandle(file);
    return bytes.substr(0, read);
}

void write_file(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string settings_summary() {
    const Settings& s = app.settings;
    return std::to_string(s.TransAmount) + "|" + std::to_string(s.AutoStart) + "|" + std::to_string(s.LabelPos) + "|" +
           std::to_string(s.ShowComputerName) + "|" + std::to_string(s.ShowDomainName) + "|" +
           std::to_string(s.ShowUserID) + "|" + std::to_string(s.ShowIP) + "|" + text_or_empty(s.AddToDisplay) + "|" +
           text_or_empty(s.FontName) + "|" + std::to_string(s.FontSize);
}

void set_settings(int trans, int autostart, int pos, int c, int d, int u, int i, const char* custom, const char* face, int size) {
    Settings& s = app.settings;
    s.TransAmount = trans;
    s.AutoStart = autostart;
    s.LabelPos = pos;
    s.ShowComputerName = c;
    s.ShowDomainName = d;
    s.ShowUserID = u;
    s.ShowIP = i;
    store_string(&s.AddToDisplay, custom);
    store_string(&s.FontName, face);
    s.FontSize = size;
}

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
        set_settings(-1, -1, -1, -1, -1, -1, -1, "stale", "stale", -1);
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

    set_settings(INT_MIN, 2, 7, 1, 0, 1, -1, "  Lab  ", "Times New Roman", 0);
    save_settings();
    EXPECT_EQ("TransAmount = -2147483648\r\nAutoStart = 2\r\nLabelPos = 7\r\nShowComputerName = 1\r\n"
              "ShowDomainName = 0\r\nShowUserID = 1\r\nShowIP = -1\r\nAddToDisplay =   Lab  \r\n"
              "FontName = Times New Roman\r\nFontSize = 0\r\n",
              read_file(path_));
    // Leading spaces of a text do not survive the file; everything else does.
    EXPECT_EQ("-2147483648|2|7|1|0|1|-1|Lab  |Times New Roman|0", load_summary());
}

TEST_F(SettingsFileTest, SaveDropsLinesOthersAddedAndLoadKeepsTheFileAsItIs) {
    write_file(path_, "; by hand\r\nExtra = 1\r\nLabelPos = 2\r\n");
    const std::string before = read_file(path_);
    EXPECT_EQ("100|0|2|1|0|0|0||Arial|8", load_summary());
    EXPECT_EQ(before, read_file(path_));
    save_settings();
    EXPECT_EQ(std::string(kDefaultFile).replace(std::string(kDefaultFile).find("LabelPos = 4"), 12, "LabelPos = 2"),
              read_file(path_));
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

TEST_F(SettingsFileTest, OldFileStaysWholeUntilTheNewOneIsComplete) {
    write_file(path_, "LabelPos = 1\r\n");
    ASSERT_TRUE(create_preferences(path_.c_str()));
    write_preference_number("LabelPos", 2);
    EXPECT_EQ("LabelPos = 1\r\n", read_file(path_)) << "readers see the old file meanwhile";
    EXPECT_EQ(4, read_preference_number("LabelPos", 4)) << "no lookups while writing";
    // The file in the making may be read by others but not written.
    const std::string pending = path_ + ".new";
    HANDLE writer = CreateFileA(pending.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    CloseHandle(writer == INVALID_HANDLE_VALUE ? 0 : writer);
    EXPECT_EQ("LabelPos = 2\r\n", read_file(pending));
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
    set_settings(100, 0, 4, 1, 0, 0, 0, "", "Arial", 8);
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

// A write that fails half-way (the disk is full) must not cost the user the old file. The name
// of the file in the making is made to lead to a device that refuses every write.
TEST_F(SettingsFileTest, FailedWriteKeepsTheOldFile) {
    const std::string original = "LabelPos = 3\r\nAddToDisplay = mine\r\n";
    write_file(path_, original);
    const std::string pending = unix_path(folder_) + "/Norvane.ini.new";
    if (pending[0] != '/' || !run_host_program("/bin/ln", "/bin/ln -s /dev/full " + pending) ||
        !leads_to_full_device(path_ + ".new")) {
        GTEST_SKIP() << "needs Wine and a host ln to reach a full device";
    }
    set_settings(100, 0, 4, 1, 0, 0, 0, "", "Arial", 8);
    save_settings();
    EXPECT_EQ(original, read_file(path_));
    // Wine cannot delete a link to a device, so the link is removed the way it was made.
    run_host_program("/bin/rm", "/bin/rm -f " + pending);
    for (int attempt = 0; attempt < 100 && folder_listing().size() > 1; ++attempt) Sleep(20);
    EXPECT_EQ(kOnlyTheSettingsFile, folder_listing());
    EXPECT_EQ("100|0|3|1|0|0|0|mine|Arial|8", load_summary());
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

// The autostart copy for each row of Windows versions, in folders of our own.
class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = temp_folder("norvane-autostart");
        remove_tree(root_);
        make_folders(root_ + "\\current");
        GetCurrentDirectoryA(MAX_PATH, saved_directory_);
        ASSERT_TRUE(SetCurrentDirectoryA((root_ + "\\current").c_str()));
        for (const char* name : kVariables) {
            char value[512] = "";
            saved_.push_back(GetEnvironmentVariableA(name, value, sizeof value) ? value : "");
        }
        saved_os_code_ = app.os_code;
    }
    void TearDown() override {
        SetCurrentDirectoryA(saved_directory_);
        for (size_t i = 0; i < saved_.size(); ++i) {
            SetEnvironmentVariableA(kVariables[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
        }
        app.os_code = saved_os_code_;
        remove_tree(root_);
    }
    void set_source(const std::string& bytes) { write_file(root_ + "\\current\\Norvane.exe", bytes); }

    static constexpr const char* kVariables[3] = {"winbootdir", "windir", "ALLUSERSPROFILE"};
    std::string root_;
    char saved_directory_[MAX_PATH] = "";
    std::vector<std::string> saved_;
    int saved_os_code_ = 0;
};

struct FolderRow {
    int os_code;
    const char* variable;
    const char* folder;
};

const FolderRow kFolderRows[] = {
    {10, "winbootdir", "\\StartM~1\\Programs\\Startup"},
    {30, "winbootdir", "\\StartM~1\\Programs\\Startup"},
    {40, "winbootdir", "\\StartM~1\\Programs\\Startup"},
    {5, "windir", "\\Profiles\\All Users\\Start Menu\\Programs\\Startup"},
    {20, "windir", "\\Profiles\\All Users\\Start Menu\\Programs\\Startup"},
    {50, "ALLUSERSPROFILE", "\\Start Menu\\Programs\\Startup"},
    {60, "ALLUSERSPROFILE", "\\Start Menu\\Programs\\Startup"},
    {65, "ALLUSERSPROFILE", "\\Start Menu\\Programs\\Startup"},
    {100, "ALLUSERSPROFILE", "\\Start Menu\\Programs\\Startup"},
};

TEST_F(AutostartTest, InstallCopiesAndRefreshesRemoveDeletesForEveryVersionRow) {
    for (const FolderRow& r : kFolderRows) {
        SCOPED_TRACE("os code " + std::to_string(r.os_code));
        // Each variable names a root of its own, so a copy in the wrong row's folder shows.
        for (const char* name : kVariables) {
            const std::string base = root_ + "\\" + name;
            make_folders(base + kFolderRows[0].folder);
            make_folders(base + kFolderRows[3].folder);
            make_folders(base + kFolderRows[5].folder);
            SetEnvironmentVariableA(name, base.c_str());
        }
        app.os_code = r.os_code;
        const std::string target = root_ + "\\" + r.variable + r.folder + "\\Norvane.exe";
        set_source("first");
        install_autostart();
        EXPECT_EQ("first", read_file(target));
        set_source("second");
        install_autostart();
        EXPECT_EQ("second", read_file(target)) << "a second apply replaces the copy";
        int copies = 0;
        for (const char* name : kVariables) {
            for (int folder : {0, 3, 5}) copies += exists(root_ + "\\" + name + kFolderRows[folder].folder + "\\Norvane.exe");
        }
        EXPECT_EQ(1, copies) << "only this row's folder holds a copy";
        remove_autostart();
        EXPECT_FALSE(exists(target));
        remove_autostart();
        EXPECT_FALSE(exists(target)) << "removing nothing is harmless";
    }
}

TEST_F(AutostartTest, NoSourceOrNoFolderVariableCopiesNothing) {
    app.os_code = 100;
    const std::string base = root_ + "\\profile";
    make_folders(base + "\\Start Menu\\Programs\\Startup");
    SetEnvironmentVariableA("ALLUSERSPROFILE", base.c_str());
    const std::string target = base + "\\Start Menu\\Programs\\Startup\\Norvane.exe";

    // No Norvane.exe in the current directory: an older copy stays as it is.
    write_file(target, "older");
    install_autostart();
    EXPECT_EQ("older", read_file(target));

    // The variable unset: nothing is copied or deleted anywhere.
    SetEnvironmentVariableA("ALLUSERSPROFILE", nullptr);
    set_source("program");
    install_autostart();
    remove_autostart();
    EXPECT_EQ("older", read_file(target));
    EXPECT_FALSE(exists(root_ + "\\current\\Start Menu"));
}

// Apply takes the dialog's boxes and text, installs or removes the copy and renders the label.
TEST_F(AutostartTest, ApplyTakesOverTheDialogAndFollowsTheAutostartBox) {
    store_string(&app.identity.computer_name, "PC1");
    store_string(&app.identity.domain_name, "CORP");
    store_string(&app.identity.user_name, "jsmith");
    store_string(&app.identity.ip_address, "10.0.0.5");
    set_settings(100, 0, 4, 1, 0, 0, 0, "", "Arial", 8);
    app.os_code = 100;
    const std::string base = root_ + "\\profile";
    make_folders(base + "\\Start Menu\\Programs\\Startup");
    SetEnvironmentVariableA("ALLUSERSPROFILE", base.c_str());
    const std::string target = base + "\\Start Menu\\Programs\\Startup\\Norvane.exe";
    set_source("program");

    ASSERT_TRUE(open_config_dialog());
    set_gadget_state(kGadgetShowComputerName, 1);
    set_gadget_state(kGadgetShowDomainName, 0);
    set_gadget_state(kGadgetShowUserID, 1);
    set_gadget_state(kGadgetShowIP, 1);
    set_gadget_state(kGadgetAutoStart, 1);
    set_gadget_text(kGadgetCustomText, "Lab");
    apply_settings();
    pump_messages();
    EXPECT_EQ("100|1|4|1|0|1|1|Lab|Arial|8", settings_summary());
    EXPECT_STREQ(" Lab PC1 <jsmith> 10.0.0.5 ", app.label_text);
    EXPECT_EQ("program", read_file(target));

    set_gadget_state(kGadgetAutoStart, 0);
    set_gadget_text(kGadgetCustomText, "");
    apply_settings();
    pump_messages();
    EXPECT_EQ(0, app.settings.AutoStart);
    EXPECT_STREQ(" PC1 <jsmith> 10.0.0.5 ", app.label_text);
    EXPECT_FALSE(exists(target));
    close_window(kConfigWindow);
    close_window(3);
    pump_messages();
}
}  // namespace
