// What the find window and the highlight rows make of what the user wrote: text or
// hexadecimal, and each kind of bad input refused with its reason and an empty
// pattern that finds nothing.
#include "terminal/find_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PatternCase {
    const char* name;
    std::string field;
    bool hex;
    int result;
    std::string bytes;  // the compiled pattern when it compiles
};

TEST(FindPattern, FieldToPattern)
{
    const std::vector<PatternCase> cases = {
        {"text", "OK\x8e\xf3", false, FIND_PATTERN_OK, "OK\x8e\xf3"},
        {"hex with blanks", "0D 0A", true, FIND_PATTERN_OK, "\r\n"},
        {"hex run", "0d0a", true, FIND_PATTERN_OK, "\r\n"},
        {"hex escapes", "\\x0D\\x0A", true, FIND_PATTERN_OK, "\r\n"},
        {"empty text", "", false, FIND_PATTERN_EMPTY, ""},
        {"empty hex", " , ", true, FIND_PATTERN_EMPTY, ""},
        {"lone lead byte", "ab\x82", false, FIND_PATTERN_LONE_LEAD, ""},
        {"odd hex", "0D 0", true, FIND_PATTERN_ODD_DIGITS, ""},
        {"not hex", "0D ZZ", true, FIND_PATTERN_NOT_HEX, ""},
        {"kanji as hex", "\x8e\xf3", true, FIND_PATTERN_NOT_HEX, ""},
        {"10 KB of text", std::string(10240, 'a'), false, FIND_PATTERN_TOO_LONG, ""},
        {"10 KB of hex", std::string(10240, 'A'), true, FIND_PATTERN_TOO_LONG, ""},
        {"longest text", std::string(BYTE_PATTERN_MAX, 'a'), false, FIND_PATTERN_OK,
         std::string(BYTE_PATTERN_MAX, 'a')},
    };
    for (const PatternCase& k : cases) {
        SCOPED_TRACE(k.name);
        BytePattern pattern;
        pattern.length = 7;
        EXPECT_EQ(find_pattern_compile(&pattern, k.field.data(), k.field.size(), k.hex, true), k.result);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(pattern.bytes), static_cast<std::size_t>(pattern.length)),
                  k.bytes);
    }
}

}  // namespace
