// The byte matcher: where text patterns may match in Shift-JIS (letters folding only
// where they stand alone), bytes matching anywhere, both directions, and the stream an
// expect watches. Texts that defeat the skips are the fuzzer's (linear_* seeds).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/byte_match.h"

namespace {

enum Mode { CASE, FOLD, BYTES };

const unsigned char* bytes(const std::string& s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

BytePattern compiled(const std::string& p, Mode mode)
{
    BytePattern pattern;
    EXPECT_EQ(mode == BYTES ? byte_match_compile_bytes(&pattern, bytes(p), p.size())
                            : byte_match_compile_text(&pattern, p.data(), p.size(), mode == CASE),
              BYTE_MATCH_OK);
    return pattern;
}

bool collect(void* found, size_t offset)
{
    static_cast<std::vector<size_t>*>(found)->push_back(offset);
    return true;
}

TEST(ByteMatch, MatchesOnlyWholeCharacters)
{
    struct Case {
        const char* pattern;
        Mode mode;
        std::string text;
        std::vector<size_t> found;
    } const cases[] = {
        {"\\", CASE, "\x95\x5c\\", {2}},      // 表's trail byte is no backslash
        {"\\", BYTES, "\x95\x5c\\", {1, 2}},  // bytes match anywhere
        {"a", FOLD, "\x82\x41\x41", {2}},     // nor is a trail byte 0x41 a letter
        {"abc", FOLD, "xABCx aBc", {1, 6}},
        {"\x82\x61", FOLD, "\x82\x41\x82\x61", {2}},  // a trail byte never folds
        {"\x95\x5c", CASE, "\x81\x81\x95\x5c", {2}},  // lead bytes pair up from the start
        {"\x81\x40", CASE, "\x81\x81\x81\x81\x81\x40", {4}},
        {"\x81\x40", CASE, "\x81\x81\x81\x81\x81\x81\x40", {}},
        {"\x82\x0d", CASE, "\x82\x0d\x82\x0d", {0, 2}},  // a lead byte without its trail stands alone
        {"aa", CASE, "aaaa", {0, 2}},                    // no overlaps
    };
    for (const Case& c : cases) {
        BytePattern pattern = compiled(c.pattern, c.mode);
        std::vector<size_t> found;
        byte_match_each(&pattern, bytes(c.text), c.text.size(), collect, &found);
        EXPECT_EQ(found, c.found) << c.pattern << " in " << c.text;
        const size_t n = c.text.size(), none = BYTE_MATCH_NONE;
        EXPECT_EQ(byte_match_find(&pattern, bytes(c.text), n, 0), c.found.empty() ? none : c.found.front());
        EXPECT_EQ(byte_match_find_backward(&pattern, bytes(c.text), n, n),
                  c.found.empty() ? none : c.found.back());
    }
    BytePattern pattern;
    EXPECT_EQ(byte_match_compile_text(&pattern, "", 0, true), BYTE_MATCH_EMPTY);
    EXPECT_EQ(byte_match_compile_text(&pattern, std::string(1025, 'a').data(), 1025, true),
              BYTE_MATCH_TOO_LONG);
    EXPECT_EQ(byte_match_compile_text(&pattern, "ab\x82", 3, true), BYTE_MATCH_INCOMPLETE);
    EXPECT_EQ(byte_match_find(&pattern, bytes("ab\x82\x40"), 4, 0), BYTE_MATCH_NONE);  // left empty
}

TEST(ByteMatchStream, AnswersSplitOverChunksAndArrivingEarly)
{
    static ByteMatchStream stream;
    byte_match_stream_init(&stream);
    BytePattern ok = compiled("OK\r\n", CASE), yen = compiled("\\", CASE);
    auto feed = [](const std::string& s) { return byte_match_stream_feed(&stream, bytes(s), s.size()); };
    EXPECT_FALSE(byte_match_stream_expect(&stream, &ok));
    EXPECT_FALSE(feed("O"));
    EXPECT_FALSE(feed("K\r"));
    EXPECT_TRUE(feed("\nOK\r\n"));
    EXPECT_TRUE(byte_match_stream_expect(&stream, &ok));  // the second answer came with the first
    EXPECT_FALSE(byte_match_stream_expect(&stream, &ok));
    feed("OK\r\n");
    byte_match_stream_mark(&stream);  // what came before the mark does not answer
    EXPECT_FALSE(byte_match_stream_expect(&stream, &ok));
    EXPECT_FALSE(byte_match_stream_expect(&stream, &yen));
    EXPECT_FALSE(feed("\x95"));  // 0x5C after 0x95 is 表, from one chunk to the next
    EXPECT_FALSE(feed("\x5c"));
    EXPECT_TRUE(feed("\\"));
    feed(std::string(300, 'z') + "end");
    unsigned char tail[BYTE_MATCH_TAIL];
    ASSERT_EQ(byte_match_stream_tail(&stream, tail, false), BYTE_MATCH_TAIL);
    EXPECT_EQ(std::string(tail + 253, tail + 256), "end");
    byte_match_stream_mark(&stream);
    feed("ab");
    ASSERT_EQ(byte_match_stream_tail(&stream, tail, true), 2u);
    EXPECT_EQ(std::string(tail, tail + 2), "ab");
}

}  // namespace
