// The autostart copy's file in a named folder, and the all-users path built for every version row.
#include <string>

#include "unit_support.h"
#include "settings/autostart_paths.h"

namespace {
using AutostartPathsTest = RuntimeTest;

TEST_F(AutostartPathsTest, TargetByVersionRow) {
    struct Row { int os_code; const char* variable; unsigned size; const char* value; const char* target; } rows[] = {
        {10, "winbootdir", 256, "C:\\WINDOWS", "C:\\WINDOWS\\StartM~1\\Programs\\Startup\\Norvane.exe"},
        {30, "winbootdir", 256, "C:\\WINDOWS", "C:\\WINDOWS\\StartM~1\\Programs\\Startup\\Norvane.exe"},
        {40, "winbootdir", 256, "C:\\WINDOWS", "C:\\WINDOWS\\StartM~1\\Programs\\Startup\\Norvane.exe"},
        {5, "windir", 256, "C:\\WINNT", "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        {20, "windir", 256, "C:\\WINNT", "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        {50, "ALLUSERSPROFILE", 512, "C:\\Documents and Settings\\All Users",
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        {60, "ALLUSERSPROFILE", 512, "D:\\AU", "D:\\AU\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        {65, "ALLUSERSPROFILE", 512, "D:\\AU", "D:\\AU\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        {100, "ALLUSERSPROFILE", 512, "D:\\AU", "D:\\AU\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        // Codes outside the table take the last row, like an unrecognised system.
        {0, "ALLUSERSPROFILE", 512, "D:\\AU", "D:\\AU\\Start Menu\\Programs\\Startup\\Norvane.exe"},
        {-1, "ALLUSERSPROFILE", 512, "D:\\AU", "D:\\AU\\Start Menu\\Programs\\Startup\\Norvane.exe"},
    };
    for (const Row& r : rows) {
        const AutostartFolder& folder = autostart_folder(r.os_code);
        EXPECT_STREQ(r.variable, folder.variable) << r.os_code;
        EXPECT_EQ(r.size, folder.buffer_size) << r.os_code;
        char* start = scratch_position;
        EXPECT_STREQ(r.target, compose_autostart_target(r.value, r.os_code)) << r.os_code;
        scratch_rewind(start);
    }
}

TEST_F(AutostartPathsTest, StartupFileHasOneSeparatorBeforeTheFileName) {
    struct Row { const char* folder; const char* file; } rows[] = {
        {"D:\\", "D:\\Norvane.exe"},
        {"D:\\Tools", "D:\\Tools\\Norvane.exe"},
        {"C:\\Program Files\\Norvane", "C:\\Program Files\\Norvane\\Norvane.exe"},
        {"\\\\server\\share\\", "\\\\server\\share\\Norvane.exe"},
        {"\\", "\\Norvane.exe"},
        {"", "\\Norvane.exe"},
        // Shift JIS "\x95\x5c" is one character whose second byte is a backslash.
        {"C:\\\x95\x5c", "C:\\\x95\x5c\\Norvane.exe"},
        {"C:\\Caf\xe9\\", "C:\\Caf\xe9\\\\Norvane.exe"},
    };
    for (const Row& r : rows) {
        char* start = scratch_position;
        EXPECT_STREQ(r.file, compose_startup_file(r.folder)) << r.folder;
        scratch_rewind(start);
    }
}

TEST_F(AutostartPathsTest, FileAndTargetLieInTheScratchTogether) {
    char* file = scratch_argument(compose_startup_file("D:\\Tools"));
    char* target = compose_autostart_target("D:\\AU", 100);
    EXPECT_STREQ("D:\\Tools\\Norvane.exe", file);
    EXPECT_STREQ("D:\\AU\\Start Menu\\Programs\\Startup\\Norvane.exe", target);
    scratch_rewind(file);
}
}  // namespace
