// The ".tfk" format: the twelve lines the program writes, and how a file's bytes are
// read into the twelve strings, whole or in pieces as the file delivers them.
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

TEST(TfkFormat, TwelveEmptyKeysAreTheIndexAndCommaLines)
{
    FunctionKeyStrings strings = {};
    std::string file;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) {
        char line[TFK_LINE_BUFFER];
        file.append(line, static_cast<size_t>(tfk_format_line(i, strings[i], line)));
    }
    EXPECT_EQ(file, "0,\n1,\n2,\n3,\n4,\n5,\n6,\n7,\n8,\n9,\n10,\n11,\n");
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
        {"an index outside 0..11 stops", "0,a\n12,abc\n2,c\n", keys({{0, "a"}})},
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

TEST(TfkRead, TwelveKeyLinesEndTheReading)
{
    std::string file;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) file += std::to_string(11 - i) + ",k" + std::to_string(i) + "\n";
    file += "0,thirteenth\n";
    std::vector<std::string> k = read_tfk(file);
    EXPECT_EQ(k[11], "k0");
    EXPECT_EQ(k[0], "k11");
}

}  // namespace
