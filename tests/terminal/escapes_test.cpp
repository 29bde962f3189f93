// The escape expansion: every escape, escapes cut short by the text or the limit,
// and the output never growing past what the caller provides.
#include "terminal/escapes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Expands into a buffer of exactly limit + 4 bytes, so that the sanitizer sees any
// overrun.
std::string expand(const std::string& text, int limit = 128)
{
    std::vector<unsigned char> out(limit + 4);
    int n = expand_escapes(out.data(), text.c_str(), limit);
    return std::string(out.begin(), out.begin() + n);
}

TEST(Escapes, EachEscapeAndWhatStaysAsWritten)
{
    EXPECT_EQ(expand("\\0\\\\\\a\\b\\f\\n\\r\\t\\v"), std::string("\0\\\a\b\f\n\r\t\v", 9));
    EXPECT_EQ(expand("\\r\\n"), "\r\n");
    EXPECT_EQ(expand("\\q"), "\\q");
    EXPECT_EQ(expand("abc\\"), "abc\\");
    EXPECT_EQ(expand(""), "");
}

TEST(Escapes, HexadecimalBytes)
{
    EXPECT_EQ(expand("A\\x41\\x4"), "AA\x04");
    EXPECT_EQ(expand("\\xfF\\x0a"), "\xff\n");
    EXPECT_EQ(expand("\\x123"), "\x12" "3");  // two digits at most
    EXPECT_EQ(expand("\\x"), "\\x");
    EXPECT_EQ(expand("\\x4G"), "\x04G");
    EXPECT_EQ(expand("\\x\\n"), "\\x\n");  // the non-digit is taken as usual
}

TEST(Escapes, LimitStopsBeforeTheNextCharacter)
{
    EXPECT_EQ(expand("abcdef", 3), "abc");
    EXPECT_EQ(expand("ab\\n", 2), "ab");
    EXPECT_EQ(expand("a\\q", 2), "a\\q");    // an escape begun below the limit is finished
    EXPECT_EQ(expand("\\x\\n", 2), "\\x\\");  // and one cut short is written as it stands
    EXPECT_EQ(expand("abc", 0), "");
}

// Characters whose trail byte is 0x5C: the trail byte never starts an escape.
TEST(Escapes, DoubleByteCharactersStayWholeBeforeEveryEscapeLetter)
{
    const char* characters[] = {"\x95\x5c", "\x83\x5c", "\x94\x5c", "\x97\x5c",
                                "\x8f\x5c", "\x90\x5c", "\x8d\x5c"};  // 表 ソ 能 予 十 申 構
    for (const char* ch : characters) {
        const std::string c = ch;
        for (char letter : std::string("0\\abfnrtvxq")) {
            std::string text = c + letter;
            EXPECT_EQ(expand(text), text) << text;
        }
        EXPECT_EQ(expand(c + "\\n"), c + "\n");            // an escape right after it
        EXPECT_EQ(expand("\\" + c + "n"), "\\" + c + "n");    // no escape letter: kept as written
        EXPECT_EQ(expand("\\x4" + c), "\x04" + c);         // ends a \x early
        EXPECT_EQ(expand("a" + c, 2), "a" + c);             // never cut in half by the limit
    }
    // The function-key string of the fault report.
    EXPECT_EQ(expand("\x95\x5cn \x83\x5c" "0 \x95\x5c\x8e\xa6"), "\x95\x5cn \x83\x5c" "0 \x95\x5c\x8e\xa6");
}

// Every text of five characters from escapes, digits, letters and a lead byte, at
// every small limit: the whole expansion when it fits the limit, otherwise at least
// the limit and at most three bytes past it (the caller's buffer allows four).
TEST(Escapes, EveryShortTextStopsAtTheLimitAndFitsTheBuffer)
{
    const char letters[] = "\\x4G\x95";
    for (int code = 0; code < 5 * 5 * 5 * 5 * 5; ++code) {
        std::string text;
        for (int c = code, k = 0; k < 5; ++k, c /= 5) text += letters[c % 5];
        const std::string whole = expand(text);
        for (int limit = 0; limit <= 5; ++limit) {
            const std::string cut = expand(text, limit);
            if (static_cast<int>(whole.size()) <= limit) {
                EXPECT_EQ(cut, whole) << text << " " << limit;
            } else {
                EXPECT_GE(static_cast<int>(cut.size()), limit) << text << " " << limit;
                EXPECT_LE(static_cast<int>(cut.size()), limit + 3) << text << " " << limit;
            }
        }
    }
}

}  // namespace
