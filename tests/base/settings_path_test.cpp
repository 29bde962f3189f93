// Building the settings file path, and the Shift-JIS rule for a trailing separator.
#include "base/settings_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string build(const std::string& directory, size_t size = SETTINGS_PATH_SIZE)
{
    char out[1024];
    EXPECT_LE(size, sizeof out);
    if (!settings_build_path(directory.c_str(), out, size)) return "<refused>";
    return out;
}

TEST(SettingsPath, AppendsTheFileName)
{
    EXPECT_EQ("C:\\work\\bench\\tavex.ini", build("C:\\work\\bench"));
    EXPECT_EQ("\\\\server\\share\\tavex.ini", build("\\\\server\\share"));
}

TEST(SettingsPath, DriveRootGetsNoSecondSeparator)
{
    EXPECT_EQ("C:\\tavex.ini", build("C:\\"));
}

TEST(SettingsPath, ShiftJisTrailByte5CIsNotASeparator)
{
    // "表" is 95 5C: a directory ending in it still needs its separator.
    EXPECT_EQ("C:\\\x95\x5C\\tavex.ini", build("C:\\\x95\x5C"));
    // "表\" does end in a real separator.
    EXPECT_EQ("C:\\\x95\x5C\\tavex.ini", build("C:\\\x95\x5C\\"));
    // A half-width katakana byte (single) followed by a backslash is a separator.
    EXPECT_EQ("C:\\\xB1\\tavex.ini", build("C:\\\xB1\\"));
}

TEST(SettingsPath, RefusesWhatDoesNotFitInsteadOfTruncating)
{
    // 260 bytes hold 249 directory bytes + "\" + "tavex.ini" + NUL exactly.
    std::string fits = "C:\\" + std::string(246, 'd');
    ASSERT_EQ(249u, fits.size());
    EXPECT_EQ(fits + "\\tavex.ini", build(fits));
    EXPECT_EQ(259u, build(fits).size());
    EXPECT_EQ("<refused>", build(fits + "d"));
    EXPECT_EQ("<refused>", build("C:\\" + std::string(256, 'd')));
}

TEST(SettingsPath, RefusedOutputIsEmpty)
{
    char out[16] = "old";
    EXPECT_FALSE(settings_build_path("C:\\a-long-directory", out, sizeof out));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(settings_build_path("", out, sizeof out));
    EXPECT_FALSE(settings_build_path(nullptr, out, sizeof out));
}

TEST(SettingsPath, RefusesADirectoryEndingInHalfACharacter)
{
    // 9F is a lead byte: "9F \" would read as one character, not a separator.
    EXPECT_EQ("<refused>", build("C:\\abc\x9F"));
    EXPECT_EQ("C:\\abc\x9F\x5C\\tavex.ini", build("C:\\abc\x9F\x5C"));
}

}  // namespace
