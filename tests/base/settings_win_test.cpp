// The settings file on the real private-profile functions, each test in a scratch
// folder of its own that is the current directory when the path is built.
#include "base/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/fixture_win.h"

namespace {

TEST(SettingsFile, MissingFileGivesDefaultsAndCreatesNoFile)
{
    ScratchDir scratch;
    ASSERT_TRUE(settings_path_init());
    EXPECT_EQ(scratch.file("tavex.ini"), settings_path());
    EXPECT_EQ(7, settings_read_int("console", "column", 7));
    EXPECT_EQ(-3, settings_read_int("console", "column", -3));
    char text[32];
    EXPECT_EQ(8, settings_read_text("console", "text font name", text, sizeof text, "Terminal"));
    EXPECT_STREQ("Terminal", text);
    EXPECT_EQ(0, settings_read_text("console", "text font name", text, sizeof text, nullptr));
    EXPECT_STREQ("", text);
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

TEST(SettingsFile, ValuesRoundTripAsDecimalText)
{
    ScratchDir scratch;
    ASSERT_TRUE(settings_path_init());
    EXPECT_NE(0, settings_write_int("console", "buffer size", 65536));
    EXPECT_NE(0, settings_write_int("console color", "console back 1", 0x00C0FFEE));
    EXPECT_NE(0, settings_write_int("system", "tool bar", -1));
    EXPECT_NE(0, settings_write_text("console", "text font name", "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"));
    EXPECT_EQ(65536, settings_read_int("console", "buffer size", 0));
    EXPECT_EQ(0x00C0FFEE, settings_read_int("console color", "console back 1", 0));
    EXPECT_EQ(-1, settings_read_int("system", "tool bar", 0));
    char text[64];
    settings_read_text("console", "text font name", text, sizeof text, "");
    EXPECT_STREQ("\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", text);

    std::string file = read_file(scratch.file("tavex.ini"));
    EXPECT_NE(std::string::npos, file.find("buffer size=65536")) << file;
    EXPECT_NE(std::string::npos, file.find("console back 1=12648430")) << file;
    EXPECT_NE(std::string::npos, file.find("tool bar=-1")) << file;
}

TEST(SettingsFile, TextIsCutToTheCallersBuffer)
{
    ScratchDir scratch;
    ASSERT_TRUE(settings_path_init());
    settings_write_text("usb", "device name 1", "0123456789abcdef");
    char text[8];
    int length = settings_read_text("usb", "device name 1", text, sizeof text, "");
    EXPECT_EQ(7, length);
    EXPECT_STREQ("0123456", text);
}

struct HostList {
    const char* const* hosts;
};

int write_host(const char* section, int index, void* context)
{
    char key[32];
    std::snprintf(key, sizeof key, "host list %d", index + 1);
    return settings_write_text(section, key, static_cast<HostList*>(context)->hosts[index]);
}

TEST(SettingsFile, ShorterListLeavesNoStaleNumberedKeys)
{
    ScratchDir scratch;
    ASSERT_TRUE(settings_path_init());
    const char* five[] = {"a", "b", "c", "d", "e"};
    HostList list{five};
    EXPECT_NE(0, settings_write_list("network history", "list entry", 5, write_host, &list));
    EXPECT_EQ(5, settings_read_int("network history", "list entry", 0));

    const char* two[] = {"x", "y"};
    list.hosts = two;
    EXPECT_NE(0, settings_write_list("network history", "list entry", 2, write_host, &list));
    EXPECT_EQ(2, settings_read_int("network history", "list entry", 0));
    char text[16];
    settings_read_text("network history", "host list 2", text, sizeof text, "");
    EXPECT_STREQ("y", text);
    for (int n = 3; n <= 5; ++n) {
        char key[32];
        std::snprintf(key, sizeof key, "host list %d", n);
        EXPECT_EQ(0, settings_read_text("network history", key, text, sizeof text, "")) << key;
    }
    std::string file = read_file(scratch.file("tavex.ini"));
    EXPECT_EQ(std::string::npos, file.find("host list 3")) << file;
}

TEST(SettingsFile, ClearingASectionLeavesTheOthers)
{
    ScratchDir scratch;
    ASSERT_TRUE(settings_path_init());
    settings_write_int("usb", "entry", 2);
    settings_write_int("system", "status bar", 1);
    EXPECT_NE(0, settings_clear_section("usb"));
    EXPECT_EQ(-5, settings_read_int("usb", "entry", -5));
    EXPECT_EQ(1, settings_read_int("system", "status bar", 0));
}

TEST(SettingsFile, PathStaysWhereTheProgramStarted)
{
    ScratchDir scratch;
    ASSERT_TRUE(settings_path_init());
    std::string elsewhere = scratch.file("elsewhere");
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));  // as a file dialog would
    settings_write_int("system", "tool bar", 0);
    EXPECT_TRUE(file_exists(scratch.file("tavex.ini")));
    EXPECT_FALSE(file_exists(elsewhere + "\\tavex.ini"));
}

TEST(SettingsFile, ShiftJisFolderWhoseNameEndsInTrailByte5C)
{
    ScratchDir scratch;
    // "表" (95 5C): the path must be "...\表\tavex.ini", not "...\表tavex.ini".
    std::string folder = scratch.file("\x95\x5C");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    ASSERT_TRUE(settings_path_init());
    EXPECT_EQ(folder + "\\tavex.ini", settings_path());
    EXPECT_NE(0, settings_write_int("system", "tool bar", 1));
    EXPECT_TRUE(file_exists(folder + "\\tavex.ini"));
    EXPECT_EQ(1, settings_read_int("system", "tool bar", 0));
}

// Write failures are only returned. Wine here runs as root, for whom a read-only
// folder is still writable, so the failing writes are made where no user can write:
// a folder whose "tavex.ini" is itself a folder.
TEST(SettingsFile, WriteFailuresAreSilentAndReadsGiveDefaults)
{
    ScratchDir scratch;
    ASSERT_TRUE(CreateDirectoryA(scratch.file("tavex.ini").c_str(), nullptr));
    ASSERT_TRUE(settings_path_init());
    EXPECT_EQ(0, settings_write_int("system", "tool bar", 0));
    EXPECT_EQ(0, settings_write_text("console", "text font name", "x"));
    EXPECT_EQ(0, settings_clear_section("console"));
    EXPECT_EQ(1, settings_read_int("system", "tool bar", 1));
}

TEST(SettingsFile, ReadOnlyFolderIgnoresWritesSilently)
{
    ScratchDir scratch;
    std::string folder = scratch.file("readonly");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    ASSERT_TRUE(settings_path_init());
    ASSERT_TRUE(SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY));
    // Whether the write lands depends on the user (root may write anyway); either
    // way it must return without a message and the run goes on.
    int written = settings_write_int("system", "tool bar", 0);
    EXPECT_EQ(written != 0, file_exists(folder + "\\tavex.ini"));
    EXPECT_EQ(written ? 0 : 1, settings_read_int("system", "tool bar", 1));
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A start-up directory so long that "\tavex.ini" does not fit in the 260-byte path:
// the run goes on with defaults, and nothing is written anywhere, above all not to a
// truncated path that would name another file.
TEST(SettingsFile, TooLongStartDirectoryRunsOnDefaultsAndWritesNothing)
{
    ScratchDir scratch;
    std::string folder = scratch.path();
    // Grow the folder to 252 bytes: within what a current directory may be, but
    // 252 + "\tavex.ini" + NUL is 263 bytes.
    while (folder.size() < 252) {
        size_t room = 252 - folder.size() - 1;
        std::string part(room > 40 ? 40 : room, 'L');
        if (part.empty()) part = "L";
        folder += "\\" + part;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size() << " " << GetLastError();
    }
    ASSERT_EQ(252u, folder.size());
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str())) << GetLastError();
    EXPECT_FALSE(settings_path_init());
    EXPECT_STREQ("", settings_path());
    EXPECT_EQ(42, settings_read_int("console", "column", 42));
    char text[16];
    EXPECT_EQ(3, settings_read_text("console", "text font name", text, sizeof text, "abc"));
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(0, settings_write_int("console", "column", 80));
    EXPECT_EQ(0, settings_write_text("console", "text font name", "x"));
    EXPECT_EQ(0, settings_clear_section("console"));
    EXPECT_EQ(42, settings_read_int("console", "column", 42));
    EXPECT_FALSE(file_exists(folder + "\\tavex.ini"));
    // The Windows fallback for a relative or empty path is the Windows folder.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_FALSE(file_exists(std::string(windows) + "\\tavex.ini"));
}

}  // namespace
