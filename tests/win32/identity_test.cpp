// Identity probes against the real registry, environment and Winsock.
#include <gtest/gtest.h>

#include <string>

#include "identity/identity.h"
#include "identity/ipv4.h"
#include "identity/network.h"
#include "identity/os_family.h"
#include "win32_support.h"

namespace {
const char kTestKey[] = "Software\\NorvaneTests\\Identity";

class RegistryValue {
public:
    RegistryValue(const char* name, const std::string& bytes, DWORD type = REG_SZ) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, 0, 0, KEY_ALL_ACCESS, 0, &key_, 0);
        RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    }
    ~RegistryValue() {
        RegCloseKey(key_);
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    }
private:
    HKEY key_ = 0;
};

std::string read_test_value(const char* name) {
    char* start = scratch_position;
    char* text = read_registry_string(HKEY_CURRENT_USER, kTestKey, name);
    // The text's length is where the scratch position stopped, so inner NULs stay visible.
    std::string result = text ? std::string(text, scratch_position - text) : "<no key>";
    scratch_rewind(start);
    return result;
}

std::string environment_text(const char* name) {
    char* start = scratch_position;
    std::string result = read_environment_text(name);
    scratch_rewind(start);
    return result;
}
}  // namespace

TEST(RegistryProbe, TakesTheReturnedCountNotTheFirstNul) {
    RegistryValue with_nul("Name", std::string("PC1\0", 4));
    EXPECT_EQ("PC1", read_test_value("Name"));
    RegistryValue inner_nul("Inner", std::string("AB\0CD\0", 6), REG_BINARY);
    EXPECT_EQ(std::string("AB\0CD", 5), read_test_value("Inner"));
}

TEST(RegistryProbe, NamesUpTo254BytesAreTakenWholeLongerOnesGiveEmpty) {
    RegistryValue fits("Fits", std::string(254, 'n') + '\0');
    EXPECT_EQ(std::string(254, 'n'), read_test_value("Fits"));
    RegistryValue too_long("Long", std::string(255, 'n') + '\0');
    EXPECT_EQ("", read_test_value("Long"));
    EXPECT_EQ("", read_test_value("Missing"));
    RegistryValue empty("Empty", std::string());
    EXPECT_EQ("", read_test_value("Empty"));
}

TEST(RegistryProbe, MissingKeyGivesNoText) {
    EXPECT_EQ(nullptr, read_registry_string(HKEY_CURRENT_USER, "Software\\NorvaneTests\\Absent", "x"));
}

TEST(EnvironmentProbe, ValuesAreReadWholeAndUnsetOnesAreEmpty) {
    SetEnvironmentVariableA("NORVANE_TEST", "CORP");
    EXPECT_EQ("CORP", environment_text("NORVANE_TEST"));
    std::string long_value(300, 'u');
    SetEnvironmentVariableA("NORVANE_TEST", long_value.c_str());
    EXPECT_EQ(long_value, environment_text("NORVANE_TEST"));
    SetEnvironmentVariableA("NORVANE_TEST", 0);
    EXPECT_EQ("", environment_text("NORVANE_TEST"));
    char* start = scratch_position;
    EXPECT_STRNE("", read_windows_directory());
    scratch_rewind(start);
}

TEST(VersionProbe, MatchesTheSystemsOwnVersionData) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(classify_version(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion), classify_windows_version());
}

// With no working network layer (here: Winsock not started) the lookup reports failure and
// the address read afterwards is 0, which the label shows as 0.0.0.0.
TEST(NetworkProbe, FailedLookupGivesAddressZero) {
    EXPECT_EQ(0, lookup_host_addresses());
    EXPECT_EQ(0u, next_host_address());
    network_stop();  // nothing was started: no WSACleanup
}

TEST(NetworkProbe, ResolvesTheLocalHostAndEndsItsAddressList) {
    ASSERT_EQ(1, network_start());
    ASSERT_EQ(1, lookup_host_addresses());
    uint32_t first = next_host_address();
    EXPECT_NE(0u, first);
    while (next_host_address() != 0) {
    }
    EXPECT_EQ(0u, next_host_address());
    EXPECT_EQ(0u, next_host_address());
    network_stop();
}
