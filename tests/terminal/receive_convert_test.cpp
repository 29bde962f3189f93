// The receive line-end conversion and its chunking.
#include "terminal/receive_convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs the whole input through chunk by chunk, as the receive path does.
std::vector<std::string> chunks(int mode, const std::string& input)
{
    std::vector<std::string> out;
    unsigned char buffer[RECEIVE_CHUNK_BUFFER];
    const unsigned char* p = reinterpret_cast<const unsigned char*>(input.data());
    std::uint32_t left = static_cast<std::uint32_t>(input.size());
    while (left > 0) {
        std::uint32_t consumed = 0;
        std::uint32_t n = receive_convert_chunk(mode, p, left, &consumed, buffer);
        EXPECT_GT(consumed, 0u);
        EXPECT_LE(n, RECEIVE_CHUNK_FILL + 1);
        out.emplace_back(reinterpret_cast<char*>(buffer), n);
        p += consumed;
        left -= consumed;
    }
    return out;
}

std::string joined(int mode, const std::string& input)
{
    std::string all;
    for (const std::string& c : chunks(mode, input)) all += c;
    return all;
}

TEST(ReceiveConvert, EachModeRewritesLineEnds)
{
    EXPECT_EQ("a\r\nb\n\r\nc", joined(RECEIVE_CR_TO_CRLF, "a\rb\n\rc"));
    EXPECT_EQ("a\rb\r\n\rc\r\n", joined(RECEIVE_LF_TO_CRLF, "a\rb\n\rc\n"));
    EXPECT_EQ("a\rb\n\rc", joined(RECEIVE_AS_IS, "a\rb\n\rc"));
    EXPECT_EQ("a\rb\n", joined(7, "a\rb\n"));  // any other value: unchanged
    EXPECT_EQ(std::string("\x82\xA0\0\xFF", 4), joined(RECEIVE_CR_TO_CRLF, std::string("\x82\xA0\0\xFF", 4)));
}

TEST(ReceiveConvert, TenThousandBytesAsIsComeAsTwoChunks)
{
    std::vector<std::string> c = chunks(RECEIVE_AS_IS, std::string(10000, 'x'));
    ASSERT_EQ(2u, c.size());
    EXPECT_EQ(8176u, c[0].size());
    EXPECT_EQ(1824u, c[1].size());
}

TEST(ReceiveConvert, CrAtTheChunkEndKeepsItsLfInTheSameChunk)
{
    // 8175 letters and a CR: the CR is the 8176th output byte, its LF the 8177th.
    std::string input = std::string(8175, 'x') + "\r" + "tail";
    std::vector<std::string> c = chunks(RECEIVE_CR_TO_CRLF, input);
    ASSERT_EQ(2u, c.size());
    EXPECT_EQ(8177u, c[0].size());
    EXPECT_EQ("\r\n", c[0].substr(8175));
    EXPECT_EQ("tail", c[1]);
}

TEST(ReceiveConvert, AllLineEndsDoubleWithoutOverflowingTheBuffer)
{
    std::vector<std::string> c = chunks(RECEIVE_LF_TO_CRLF, std::string(20000, '\n'));
    size_t total = 0;
    for (const std::string& s : c) {
        EXPECT_LE(s.size(), RECEIVE_CHUNK_FILL + 1);
        total += s.size();
    }
    EXPECT_EQ(40000u, total);
}

}  // namespace
