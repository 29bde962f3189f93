// The version digits: the About box prints them as hexadecimal, the version block
// holds them as decimal numbers, and both must read the same ("1.10" is 1.10, not 1.16).
#include "resources/version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(VersionDigits, TheVersionBlockReadsWhatTheAboutBoxPrints)
{
    EXPECT_EQ(0, TAVEX_VERSION_TWO_DIGITS(00));
    EXPECT_EQ(9, TAVEX_VERSION_TWO_DIGITS(09));
    EXPECT_EQ(10, TAVEX_VERSION_TWO_DIGITS(10));
    EXPECT_EQ(99, TAVEX_VERSION_TWO_DIGITS(99));

    char about[16];
    std::snprintf(about, sizeof about, "%X.%02X", TAVEX_VERSION_MAJOR, TAVEX_VERSION_MINOR);
    char block[16];
    std::snprintf(block, sizeof block, "%d.%02d", TAVEX_VERSION_MAJOR_NUMBER, TAVEX_VERSION_MINOR_NUMBER);
    EXPECT_EQ(std::string(about), block);
    EXPECT_EQ(std::string(TAVEX_VERSION_TEXT), block);
}

}  // namespace
