// Hostile settings files, unwritable settings and extreme identity values: the program starts,
// shows its label, keeps running, and never damages the user's settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "driver.h"

namespace {
const char* const kKeys[] = {"TransAmount", "AutoStart", "LabelPos", "ShowComputerName", "ShowDomainName",
                             "ShowUserID", "ShowIP", "AddToDisplay", "FontName", "FontSize"};

// Ten "key = value" lines with CR LF, in the fixed order, numbers in decimal.
::testing::AssertionResult is_valid_settings_file(const std::string& bytes) {
    size_t at = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string prefix = std::string(kKeys[i]) + " = ";
        if (bytes.compare(at, prefix.size(), prefix) != 0)
            return ::testing::AssertionFailure() << "line " << i + 1 << " is not " << kKeys[i];
        const size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) return ::testing::AssertionFailure() << "line " << i + 1 << " has no CR LF";
        const std::string value = bytes.substr(at + prefix.size(), end - at - prefix.size());
        if (value.find('\n') != std::string::npos || value.find('\0') != std::string::npos)
            return ::testing::AssertionFailure() << "line " << i + 1 << " holds a line break or NUL";
        if (i != 7 && i != 8) {
            if (value.empty() || value.find_first_not_of("-0123456789") != std::string::npos)
                return ::testing::AssertionFailure() << kKeys[i] << " is not a number: " << value;
        }
        at = end + 2;
    }
    if (at != bytes.size()) return ::testing::AssertionFailure() << "bytes after the tenth line";
    return ::testing::AssertionSuccess();
}

class Robustness : public ::testing::Test {
protected:
    void SetUp() override { remove_settings(); }
    void TearDown() override { remove_settings(); }
};

std::string repeated(const std::string& text, size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i) out += text;
    return out;
}

std::string random_bytes(size_t count, unsigned seed) {
    std::string out(count, '\0');
    for (char& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return out;
}

TEST_F(Robustness, HostileSettingsFilesStillGiveALabelAndAValidSave) {
    struct Row {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"a 100 000-byte custom text", "AddToDisplay = " + std::string(100000, 'x') + "\r\n"},
        {"a 50 MB file", "ShowIP = 1\r\n" + repeated(std::string(1023, 'y') + "\n", 50 * 1024)},
        {"random bytes", random_bytes(70000, 7)},
        {"NUL bytes", std::string("TransAmount = 50\r\n\0\0\0LabelPos = 1\r\n", 34) + std::string(1000, '\0')},
        {"only a bracket", "["},
        {"keys repeated 10 000 times", repeated("LabelPos = 2\r\nAddToDisplay = again\r\n", 10000)},
        {"numbers beyond 32 bits",
         "TransAmount = 99999999999999999999\r\nShowIP = -4294967297\r\nFontSize = 4294967304\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        write_file(settings_path(), row.bytes);
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label(60000));
        EXPECT_TRUE(norvane.running());
        ASSERT_TRUE(close_config_dialog(open_config_dialog(norvane)));
        std::string saved;
        ASSERT_TRUE(read_file(settings_path(), &saved));
        EXPECT_TRUE(is_valid_settings_file(saved));
        EXPECT_TRUE(norvane.running());
    }
}

TEST_F(Robustness, AFileHeldOpenByAnotherProcessGivesTheDefaults) {
    write_file(settings_path(), "LabelPos = 1\r\n");
    HeldFile held(settings_path(), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(held.held());
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rect_of(label).right) << "defaults: bottom right";
    held.release();
    ASSERT_TRUE(close_config_dialog(open_config_dialog(norvane)));
    std::string saved;
    ASSERT_TRUE(read_file(settings_path(), &saved));
    EXPECT_TRUE(is_valid_settings_file(saved));
}

TEST_F(Robustness, AnUnwritableSettingsFileIsLeftAsItWas) {
    const std::string original = "LabelPos = 1\r\nAddToDisplay = keep me\r\n";
    // A read-only file.
    write_file(settings_path(), original);
    SetFileAttributesA(settings_path().c_str(), FILE_ATTRIBUTE_READONLY);
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        ASSERT_TRUE(close_config_dialog(open_config_dialog(norvane)));
        EXPECT_TRUE(norvane.wait_label(2000));
        EXPECT_TRUE(norvane.running());
        std::string now;
        ASSERT_TRUE(read_file(settings_path(), &now));
        EXPECT_EQ(original, now);
    }
    remove_settings();
    // A directory where the file should be.
    ASSERT_TRUE(CreateDirectoryA(settings_path().c_str(), 0));
    {
        NorvaneProcess norvane;
        ASSERT_TRUE(norvane.wait_label());
        ASSERT_TRUE(close_config_dialog(open_config_dialog(norvane)));
        EXPECT_TRUE(norvane.wait_label(2000));
        EXPECT_TRUE(norvane.running());
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(settings_path().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    }
}

TEST_F(Robustness, LongAndEmptyIdentityValues) {
    const std::string long_user(300, 'u');
    write_file(settings_path(), "ShowDomainName = 1\r\nShowUserID = 1\r\n");
    NorvaneProcess norvane({{"USERNAME", long_user.c_str()}, {"USERDOMAIN", ""}});
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    EXPECT_EQ(" " + registry_computer_name() + " <\\" + long_user + "> ", window_text(child_by_id(label, kLabelGadget)));
    EXPECT_TRUE(norvane.running());
}

TEST_F(Robustness, AComputerNameOf255Characters) {
    const char* key_path = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName";
    const std::string original = registry_computer_name();
    const std::string long_name(255, 'N');
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_WRITE, &key));
    RegSetValueExA(key, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE*>(long_name.c_str()), 256);
    {
        NorvaneProcess norvane;
        HWND label = norvane.wait_label();
        EXPECT_TRUE(label);
        EXPECT_TRUE(norvane.running());
        // A value that does not fit the 255-byte name buffer counts as no name.
        if (label) EXPECT_EQ("Please select display options...", window_text(child_by_id(label, kLabelGadget)));
    }
    RegSetValueExA(key, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE*>(original.c_str()),
                   static_cast<DWORD>(original.size() + 1));
    RegCloseKey(key);
}
}  // namespace
