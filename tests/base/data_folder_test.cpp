// Which start folders keep no settings: those inside a program folder, compared as
// Windows compares paths (whole components, ASCII without case, Shift-JIS bytes as
// they are).
#include "base/data_folder.h"

#include <gtest/gtest.h>

namespace {

struct InsideCase {
    const char* folder;
    const char* root;
    bool inside;
};

const InsideCase inside_cases[] = {
    {"C:\\Program Files\\Velkaro", "C:\\Program Files", true},
    {"C:\\Program Files", "C:\\Program Files", true},
    {"C:\\Program Files\\", "C:\\Program Files", true},
    {"C:\\Program Files\\Velkaro", "C:\\Program Files\\", true},
    {"c:\\program files\\velkaro", "C:\\Program Files", true},
    {"C:/Program Files/Velkaro", "C:\\Program Files", true},
    {"C:\\Program Files (x86)\\Velkaro", "C:\\Program Files", false},
    {"C:\\Program Files (x86)\\Velkaro", "C:\\Program Files (x86)", true},
    {"C:\\Program", "C:\\Program Files", false},
    {"D:\\Program Files\\Velkaro", "C:\\Program Files", false},
    {"C:\\Users\\me\\Velkaro", "C:\\Program Files", false},
    {"C:\\Users\\me", "", false},
    // 表 is 95 5C: its trail byte is not a separator, and 表示 (95 5C 8E A6) is not 表.
    {"C:\\\x95\x5c\\tools", "C:\\\x95\x5c", true},
    {"C:\\\x95\x5c\x8e\xa6\\tools", "C:\\\x95\x5c", false},
    // A trail byte that looks like a lower-case letter is not folded: 82 61 (Ｂ) and 82 41 (ア).
    {"C:\\\x82\x61\\x", "C:\\\x82\x41", false},
};

TEST(DataFolder, FolderIsInsideComparesWholeComponents)
{
    for (const InsideCase& c : inside_cases) {
        EXPECT_EQ(c.inside, folder_is_inside(c.folder, c.root)) << c.folder << " in " << c.root;
    }
}

TEST(DataFolder, InsideProgramFoldersSkipsMissingOnes)
{
    const char* folders[] = {"", nullptr, "C:\\Program Files (x86)"};
    EXPECT_TRUE(inside_program_folders("C:\\Program Files (x86)\\Velkaro", folders, 3));
    EXPECT_FALSE(inside_program_folders("C:\\Program Files\\Velkaro", folders, 3));
    EXPECT_FALSE(inside_program_folders("C:\\Velkaro", folders, 0));
}

}  // namespace
