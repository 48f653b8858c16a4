// Windows version classification and IPv4 formatting.
#include "identity/ipv4.h"
#include "identity/os_family.h"

#include "unit_support.h"

TEST(OsFamilyTest, ClassifiesPlatformAndVersion) {
    struct Row { unsigned long platform, major, minor; int code; } rows[] = {
        {2, 3, 51, 5},  {1, 4, 0, 10},  {2, 4, 0, 20},   {1, 4, 10, 30}, {1, 4, 90, 40},
        {2, 5, 0, 50},  {2, 5, 1, 60},  {2, 5, 2, 65},   {2, 5, 3, 100}, {2, 6, 0, 100},
        {2, 10, 0, 100}, {1, 4, 3, 100}, {1, 9, 10, 30}, {0, 3, 10, 100}, {3, 5, 1, 100},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.code, classify_version(r.platform, r.major, r.minor))
            << "platform " << r.platform << " version " << r.major << "." << r.minor;
    }
}

TEST(OsFamilyTest, GroupsAreListedCodes) {
    for (int code : {5, 10, 20, 30, 40, 50, 60, 65, 100}) {
        EXPECT_EQ(code == 10 || code == 30 || code == 40, is_windows95_family(code)) << code;
        EXPECT_EQ(code == 5 || code == 20, is_early_nt(code)) << code;
    }
}

using Ipv4Test = RuntimeTest;

TEST_F(Ipv4Test, FirstByteInMemoryComesFirst) {
    EXPECT_STREQ("0.0.0.0", format_ipv4(0));
    EXPECT_STREQ("10.0.0.5", format_ipv4(0x0500000Au));
    EXPECT_STREQ("192.168.1.20", format_ipv4(0x1401A8C0u));
    EXPECT_STREQ("255.255.255.255", format_ipv4(0xFFFFFFFFu));
    EXPECT_STREQ("127.0.0.1", format_ipv4(0x0100007Fu));
}
