// The file send dialog's browser rules: the file types kept from the settings file,
// a filter's patterns, opening folders, joining paths and the folder's label.
#include "transfer/file_browser.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(FileTypes, EntriesWithAnEmptyTextAreDroppedInOrder)
{
    FileTypeEntry types[5] = {{"Text", "*.txt"}, {"", "*.bin"}, {"Hex", "*.hex;*.mot"}, {"No filter", ""},
                              {"Log", "*.log"}};
    ASSERT_EQ(file_types_pack(types, 5), 3);
    EXPECT_STREQ(types[0].title, "Text");
    EXPECT_STREQ(types[1].title, "Hex");
    EXPECT_STREQ(types[1].filter, "*.hex;*.mot");
    EXPECT_STREQ(types[2].title, "Log");
    EXPECT_EQ(file_types_pack(types, 0), 0);
}

TEST(FileTypes, AStoredCountIsReadUpToTheLargestTableOnly)
{
    const std::pair<int, int> cases[] = {{-1, 0}, {0, 0}, {INT_MIN, 0}, {1, 1},
                                         {FILE_TYPES_MAX, FILE_TYPES_MAX}, {FILE_TYPES_MAX + 1, FILE_TYPES_MAX},
                                         {INT_MAX, FILE_TYPES_MAX}};
    for (auto [stored, read] : cases) EXPECT_EQ(file_types_count(stored), read) << stored;
}

TEST(FilterPatterns, StopAtAnEmptyOrTooLongPattern)
{
    const std::string p31(27, 'p'), p32(28, 'p');
    struct Case {
        std::string filter;
        std::vector<std::string> patterns;
    };
    const Case cases[] = {
        {"*.c;*.h", {"*.c", "*.h"}},
        {"*.*", {"*.*"}},
        {"*.c;;*.h", {"*.c"}},
        {";*.c", {}},
        {"*.c;", {"*.c"}},
        {"*.c;" + p31 + ".txt", {"*.c", p31 + ".txt"}},  // 31 bytes: listed
        {"*.c;" + p32 + ".txt;*.h", {"*.c"}},            // 32 bytes: the listing stops
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(filter_patterns(c.filter.c_str()), c.patterns) << c.filter;
}

std::string opened(const char* folder, const char* name, bool fits = true)
{
    char path[260];
    std::strcpy(path, folder);
    EXPECT_EQ(send_folder_open(path, name), fits) << folder << " " << name;
    return path;
}

TEST(SendFolder, OpeningFoldersFromADriveRootAndBack)
{
    EXPECT_EQ(opened("C:", "work"), "C:\\work");
    EXPECT_EQ(opened("C:\\work\\x", ".."), "C:\\work");
    EXPECT_EQ(opened("C:\\work", ".."), "C:");
    EXPECT_EQ(opened("C:", ".."), "C:");  // not listed at a root; nothing to go up to
    EXPECT_EQ(opened("C:\\work", "."), "C:\\work");
    // 表 ends in 0x5C: going up removes the whole last folder, not half a character.
    EXPECT_EQ(opened("C:\\a\\\x95\x5c", ".."), "C:\\a");
    EXPECT_EQ(opened("C:\\\x95\x5c\\b", ".."), "C:\\\x95\x5c");
    // A folder that would not fit its slot is not opened.
    const std::string deep = "C:\\" + std::string(250, 'd');  // 253 bytes
    EXPECT_EQ(opened(deep.c_str(), "123456", false), deep);
    EXPECT_EQ(opened(deep.c_str(), "12345"), deep + "\\12345");
}

TEST(SendFolder, PathsLongerThan259BytesAreRefusedNotCut)
{
    char out[260];
    const std::string folder = "C:\\" + std::string(250, 'f');  // 253 bytes
    EXPECT_TRUE(send_path_join(out, folder.c_str(), "12345"));  // 259
    EXPECT_EQ(std::strlen(out), 259u);
    EXPECT_FALSE(send_path_join(out, folder.c_str(), "123456"));  // 260
    EXPECT_STREQ(out, "");
}

TEST(SendFolder, StartFolderDriveAndLabel)
{
    char folder[260];
    ASSERT_TRUE(send_folder_from_directory(folder, "C:\\"));
    EXPECT_STREQ(folder, "C:");
    ASSERT_TRUE(send_folder_from_directory(folder, "D:\\work"));
    EXPECT_STREQ(folder, "D:\\work");
    ASSERT_TRUE(send_folder_from_directory(folder, "D:\\\x95\x5c"));  // ends in a trail byte, not a backslash
    EXPECT_STREQ(folder, "D:\\\x95\x5c");
    EXPECT_FALSE(send_folder_from_directory(folder, std::string(300, 'x').c_str()));

    EXPECT_EQ(send_folder_drive("d:\\x"), 'D');
    EXPECT_EQ(send_folder_drive("\\\\server\\share"), 'C');

    EXPECT_EQ(send_folder_label("C:\\short"), "C:\\short");
    const std::string exactly25 = "C:\\" + std::string(22, 'a');
    EXPECT_EQ(send_folder_label(exactly25.c_str()), exactly25);
    EXPECT_EQ(send_folder_label("C:\\long\\0123456789abcdefghijklmno"), "...0123456789abcdefghijklmno");
    // The last 25 bytes would begin with a trail byte: the label begins after it.
    const std::string kanji = "C:\\\x95\x5c" + std::string(24, 'k');
    EXPECT_EQ(send_folder_label(kanji.c_str()), "..." + std::string(24, 'k'));
}

}  // namespace
