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

}  // namespace
