// The operating-system decision table, row by row, with the systems each row meets.
#include "base/os_check.h"

#include <gtest/gtest.h>

namespace {

struct OsCase {
    const char* system;
    bool known;
    unsigned platform, major, minor;
    int expected;
};

// XP and later run; older systems, whose loader cannot load the program anyway, are
// refused by the check too.
const OsCase os_cases[] = {
    {"GetVersionExA failed", false, OS_PLATFORM_NT, 6, 1, OS_FAMILY_REFUSED},
    {"Windows 3.x / NT 3.51", true, OS_PLATFORM_NT, 3, 51, OS_FAMILY_REFUSED},
    {"Win32s on 3.1", true, OS_PLATFORM_WIN32S, 3, 10, OS_FAMILY_REFUSED},
    {"NT 4.0", true, OS_PLATFORM_NT, 4, 0, OS_FAMILY_REFUSED},
    {"Windows 2000", true, OS_PLATFORM_NT, 5, 0, OS_FAMILY_REFUSED},
    {"Windows XP", true, OS_PLATFORM_NT, 5, 1, OS_FAMILY_NT},
    {"XP x64 / Server 2003", true, OS_PLATFORM_NT, 5, 2, OS_FAMILY_NT},
    {"5.1 on an odd platform", true, 7, 5, 1, OS_FAMILY_NT},
    {"Vista", true, OS_PLATFORM_NT, 6, 0, OS_FAMILY_NT},
    {"Windows 10 (as the manifest-less view reports it)", true, OS_PLATFORM_NT, 6, 2, OS_FAMILY_NT},
    {"Windows 10 (real numbers)", true, OS_PLATFORM_NT, 10, 0, OS_FAMILY_NT},
    {"Windows 95 / OSR2", true, OS_PLATFORM_WINDOWS, 4, 0, OS_FAMILY_REFUSED},
    {"Windows 98", true, OS_PLATFORM_WINDOWS, 4, 10, OS_FAMILY_REFUSED},
    {"Windows Me", true, OS_PLATFORM_WINDOWS, 4, 90, OS_FAMILY_REFUSED},
    {"a later 9x", true, OS_PLATFORM_WINDOWS, 6, 0, OS_FAMILY_REFUSED},
    {"Win32s, other major", true, OS_PLATFORM_WIN32S, 4, 0, OS_FAMILY_REFUSED},
    {"unknown platform", true, 3, 6, 0, OS_FAMILY_REFUSED},
};

TEST(OsFamilyDecide, EveryRowOfTheTable)
{
    for (const OsCase& c : os_cases) {
        EXPECT_EQ(c.expected, os_family_decide(c.known, c.platform, c.major, c.minor)) << c.system;
    }
}

}  // namespace
