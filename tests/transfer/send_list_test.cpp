// Send list files: what a file's bytes give as entries, and what a list is written as.
#include "transfer/send_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> parse(const std::string& bytes)
{
    return send_list_parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(SendListFile, LinesBecomeEntries)
{
    const std::string a = "C:\\a.bin", b = "D:\\\x95\x5c\\b.txt";  // 表: a 0x5C trail byte
    const std::string long_line(600, 'x');
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"LF", a + "\n" + b + "\n", {a, b}},
        {"CR", a + "\r" + b + "\r", {a, b}},
        {"CR LF", a + "\r\n" + b + "\r\n", {a, b}},
        {"blank and leading line ends", "\r\n\n" + a + "\r\n\r\n\n" + b + "\n\n", {a, b}},
        {"last line without a line end", a + "\n" + b, {a, b}},
        {"600 bytes cut into 259, 259, 82", long_line + "\n" + a,
         {std::string(259, 'x'), std::string(259, 'x'), std::string(82, 'x'), a}},
        {"exactly 259 bytes", std::string(259, 'y') + "\r\n", {std::string(259, 'y')}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(parse(c.bytes), c.entries) << c.what;
}

TEST(SendListFile, WrittenWithLfOnlyAndReadBackTheSame)
{
    const std::vector<std::string> entries = {"C:\\first.bin", "C:\\\x83\x5c\\second.bin", "Z:\\third"};
    const std::string bytes = send_list_format(entries);
    EXPECT_EQ(bytes, "C:\\first.bin\nC:\\\x83\x5c\\second.bin\nZ:\\third\n");
    EXPECT_EQ(parse(bytes), entries);
    EXPECT_EQ(send_list_format({}), "");
}

// What the dialog's load takes for a send list, and what it refuses as not one.
TEST(SendListFile, OnlyTextLinesWithinTheLimitAreAList)
{
    std::string full;  // the largest list file: SEND_LIST_MAX entries of 259 bytes with CR LF
    for (size_t i = 0; i < SEND_LIST_MAX; ++i) full += std::string(SEND_PATH_MAX, 'a' + i % 26) + "\r\n";
    ASSERT_EQ(full.size(), SEND_LIST_FILE_MAX);
    std::string many;
    for (size_t i = 0; i <= SEND_LIST_MAX; ++i) many += "C:\\" + std::to_string(i) + "\n";
    struct Case {
        const char* what;
        std::string bytes;
        SendListCheck check;
        size_t entries;
    };
    const Case cases[] = {
        {"Shift-JIS names", "C:\\\x95\x5c\\\x83\x5c.bin\r\nC:\\\xb1.txt\n", SEND_LIST_OK, 2},
        {"empty file", "", SEND_LIST_OK, 0},
        {"the largest list", full, SEND_LIST_OK, SEND_LIST_MAX},
        {"one entry too many", many, SEND_LIST_TOO_LONG, 0},
        {"one byte too many", full + "x", SEND_LIST_TOO_LONG, 0},
        {"a NUL", std::string("C:\\a\0b\n", 7), SEND_LIST_NOT_TEXT, 0},
        {"a tab", "C:\\a\tb\n", SEND_LIST_NOT_TEXT, 0},
        {"an escape at the end", "C:\\a\n\x1b", SEND_LIST_NOT_TEXT, 0},
        {"UTF-16", std::string("C\0:\0\\\0a\0", 8), SEND_LIST_NOT_TEXT, 0},
        {"too long, and not text", full + std::string(1, '\0'), SEND_LIST_NOT_TEXT, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> entries = {"left over"};
        EXPECT_EQ(send_list_read(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), &entries),
                  c.check)
            << c.what;
        EXPECT_EQ(entries.size(), c.entries) << c.what;
    }
}

}  // namespace
