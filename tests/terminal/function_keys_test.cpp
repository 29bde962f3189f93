// The ".tfk" format: the lines the program writes, and how a file's bytes are read
// into the strings of both banks, whole or in pieces as the file delivers them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "terminal/function_keys.h"

namespace {

std::vector<std::string> read_tfk(const std::string& file, size_t piece = 0)
{
    FunctionKeyStrings strings;
    std::memset(strings, 'x', sizeof strings);  // anything left over would show
    TfkReader reader;
    tfk_reader_start(&reader, &strings);
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    if (piece == 0) piece = file.size() + 1;
    for (size_t at = 0; at < file.size(); at += piece)
        if (!tfk_reader_feed(&reader, bytes + at, std::min(piece, file.size() - at))) break;
    tfk_reader_finish(&reader);
    std::vector<std::string> keys;
    for (const auto& key : strings) keys.push_back(key);
    return keys;
}

std::vector<std::string> keys(std::initializer_list<std::pair<int, std::string>> set)
{
    std::vector<std::string> k(FUNCTION_KEY_COUNT);
    for (const auto& s : set) k[s.first] = s.second;
    return k;
}

// Empty keys are their index and comma lines; the first bank's twelve come first,
// where a program that knows only them reads them.
TEST(TfkFormat, EmptyKeysAreTheIndexAndCommaLines)
{
    FunctionKeyStrings strings = {};
    std::string file;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) {
        char line[TFK_LINE_BUFFER];
        file.append(line, static_cast<size_t>(tfk_format_line(i, strings[i], line)));
    }
    EXPECT_EQ(file, "0,\n1,\n2,\n3,\n4,\n5,\n6,\n7,\n8,\n9,\n10,\n11,\n"
                    "12,\n13,\n14,\n15,\n16,\n17,\n18,\n19,\n20,\n21,\n22,\n23,\n");
    char line[TFK_LINE_BUFFER];
    std::string full(128, 'z');
    EXPECT_EQ(std::string(line, static_cast<size_t>(tfk_format_line(11, full.c_str(), line))), "11," + full + "\n");
}

TEST(TfkRead, TheCasesTheFormatNamesAndThoseItLeavesOpen)
{
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> expected;
    };
    const std::string long_text(150, 'L');
    const Case cases[] = {
        {"lone line with LF", "4,ATZ\n", keys({{4, "ATZ"}})},
        {"lone line without a line end", "4,ATZ", keys({{4, "ATZ"}})},
        {"an index outside 0..23 stops", "0,a\n24,abc\n2,c\n", keys({{0, "a"}})},
        {"12 is Shift+F1", "0,a\n12,abc\n2,c\n", keys({{0, "a"}, {12, "abc"}, {2, "c"}})},
        {"a negative index stops", "1,b\n-1,x\n3,d\n", keys({{1, "b"}})},
        {"CR LF and blank lines", "\r\n\r\n0,A\r\n\r\n\n1,B\r\r\n", keys({{0, "A"}, {1, "B"}})},
        {"escapes stay text", "4,AT\\r\n", keys({{4, "AT\\r"}})},
        {"nothing after the comma", "5,\n", keys({})},
        {"text may hold commas", "6,a,b\n", keys({{6, "a,b"}})},
        {"no comma: skipped", "hello\n3,x\n", keys({{3, "x"}})},
        {"index not a number: skipped", "a,1\n,2\n4x,3\n-,4\n 5,5\n7,y\n", keys({{7, "y"}})},
        {"a huge index stops", "99999999999999999999,x\n0,a\n", keys({})},
        {"a later line for a key wins", "2,first\n2,second\n", keys({{2, "second"}})},
        {"cut to 128 bytes", "8," + long_text + "\n", keys({{8, std::string(128, 'L')}})},
        {"cut before a split character", "9," + std::string(127, 'a') + "\x93\xfa\n",
         keys({{9, std::string(127, 'a')}})},
        // 143 bytes end a line: the rest is a line of its own (here "7,tail").
        {"a line longer than 143 bytes goes on", "1," + std::string(141, 'b') + "7,tail\n",
         keys({{1, std::string(128, 'b')}, {7, "tail"}})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_tfk(c.file), c.expected) << c.name;
        EXPECT_EQ(read_tfk(c.file, 1), c.expected) << c.name << ", byte by byte";
    }
}

TEST(TfkRead, AsManyKeyLinesAsKeysEndTheReading)
{
    std::string file;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) file += std::to_string(23 - i) + ",k" + std::to_string(i) + "\n";
    file += "0,twenty-fifth\n";
    std::vector<std::string> k = read_tfk(file);
    EXPECT_EQ(k[23], "k0");
    EXPECT_EQ(k[0], "k23");
}

// A file of both banks as a hand or a damaged disk may leave it: each damaged line
// costs at most its own key, and what the first bank's lines say stays where it is.
TEST(TfkRead, BothBanksWithDamagedLines)
{
    const std::string first_bank = "0,ATZ\n1,AT&F\n2,\n3,\n4,\n5,\n6,\n7,\n8,\n9,\n10,\n11,F12\n";
    struct Case {
        const char* name;
        std::string second_bank;
        std::vector<std::string> expected;
    };
    std::vector<std::string> base = keys({{0, "ATZ"}, {1, "AT&F"}, {11, "F12"}});
    auto with = [&](std::initializer_list<std::pair<int, std::string>> set) {
        std::vector<std::string> k = base;
        for (const auto& s : set) k[s.first] = s.second;
        return k;
    };
    const Case cases[] = {
        {"a file of the first bank alone leaves the second empty", "", base},
        {"the second bank whole", "12,S1\n13,\n14,\n15,\n16,\n17,\n18,\n19,\n20,\n21,\n22,\n23,S12\n",
         with({{12, "S1"}, {23, "S12"}})},
        {"bad escapes stay text, sent as the escapes say", "12,\\x\\q\\\n13,\\x1G\n",
         with({{12, "\\x\\q\\"}, {13, "\\x1G"}})},
        {"CR-only line ends", "12,a\r13,b\r", with({{12, "a"}, {13, "b"}})},
        {"missing lines leave their keys empty", "14,c\n22,d\n", with({{14, "c"}, {22, "d"}})},
        {"a line too long: cut, its rest a line of its own", "15," + std::string(200, 'y') + "\n16,z\n",
         with({{15, std::string(128, 'y')}, {16, "z"}})},
        {"a damaged index stops or is skipped", "12,ok\n1x,skipped\n30,stop\n13,lost\n", with({{12, "ok"}})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_tfk(first_bank + c.second_bank), c.expected) << c.name;
        EXPECT_EQ(read_tfk(first_bank + c.second_bank, 3), c.expected) << c.name << ", in pieces";
    }
}

}  // namespace
