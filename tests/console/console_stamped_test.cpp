// Time-stamped copies: the console's lines with their own arrival times (a wrap's
// continuation none of its own), and a received stream cut into chunks anywhere,
// line ends paired as the console pairs them.
#include "console/console_stamped.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_time.h"
#include "tests/console/console_invariants.h"

namespace {

bool collect(void* context, const unsigned char* bytes, std::size_t length)
{
    static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(bytes), length);
    return true;
}

// 2026-12-10 (day 155,571 since 1601-01-01) at hh:mm:ss.mmm.
ConsoleTime at(int h, int m, int s, int ms)
{
    return (155571LL * 86400 + h * 3600 + m * 60 + s) * 1000 + ms;
}

TEST(ConsoleTime, GutterAndPrefixTexts)
{
    char clock[CONSOLE_STAMP_TEXT + 1], prefix[CONSOLE_STAMP_PREFIX_TEXT + 1];
    console_time_of_day_text(at(9, 5, 3, 7), clock);
    EXPECT_STREQ(clock, "09:05:03.007");
    console_time_prefix_text(at(23, 59, 59, 999), prefix);
    EXPECT_STREQ(prefix, "[2026-12-10 23:59:59.999] ");
    console_time_prefix_text(0, prefix);
    EXPECT_STREQ(prefix, "[1601-01-01 00:00:00.000] ");
    console_time_prefix_text(145731LL * 86400000 - 1, prefix);  // over 1700, 1800 and 1900, no leap days
    EXPECT_STREQ(prefix, "[1999-12-31 23:59:59.999] ");
    console_time_prefix_text(145731LL * 86400000 + 59LL * 86400000, prefix);  // 2000 has one
    EXPECT_STREQ(prefix, "[2000-02-29 00:00:00.000] ");
}

TEST(ConsoleStamped, EachLineWithItsOwnTime)
{
    Console* c = make_test_console(4096, 8);
    append_text(c, "one\r\ntwo is long\r\n", at(1, 0, 0, 0));  // "two is l" wraps
    append_text(c, "three", at(2, 0, 0, 0));
    std::string out;
    ASSERT_TRUE(console_write_stamped(c, 0, console_text_length(c), collect, &out));
    EXPECT_EQ(out,
              "[2026-12-10 01:00:00.000] one\r\n"
              "[2026-12-10 01:00:00.000] two is long\r\n"
              "[2026-12-10 02:00:00.000] three");
    out.clear();
    ASSERT_TRUE(console_write_stamped(c, 14, 20, collect, &out));  // from inside the continuation
    // (bytes 14 to 19: "ng", its line end, "th")
    EXPECT_EQ(out, "[2026-12-10 01:00:00.000] ng\r\n[2026-12-10 02:00:00.000] th");
    free_test_console(c);
}

TEST(ConsoleStamped, AStreamInChunksPairsItsLineEnds)
{
    struct Chunk {
        std::string bytes;
        int second;
    };
    const std::vector<Chunk> chunks = {{"a\r", 1}, {"\nb", 2}, {"\n\r", 3}, {"\rc\r\r", 4}, {"d", 5}};
    StampedLines lines;
    stamped_lines_after(&lines, nullptr, 0);
    std::string out;
    for (const Chunk& k : chunks)
        ASSERT_TRUE(stamped_lines_feed(&lines, reinterpret_cast<const unsigned char*>(k.bytes.data()), k.bytes.size(),
                                       at(0, 0, k.second, 0), collect, &out));
    EXPECT_EQ(out,
              "[2026-12-10 00:00:01.000] a\r\n"
              "[2026-12-10 00:00:02.000] b\n\r"
              "[2026-12-10 00:00:04.000] \r"
              "[2026-12-10 00:00:04.000] c\r"
              "[2026-12-10 00:00:04.000] \r"
              "[2026-12-10 00:00:05.000] d");
    // Going on after text already written: inside a line, or after half a pair.
    const std::string before = "x\r";
    stamped_lines_after(&lines, reinterpret_cast<const unsigned char*>(before.data()), before.size());
    out.clear();
    ASSERT_TRUE(stamped_lines_feed(&lines, reinterpret_cast<const unsigned char*>("\ny"), 2, at(0, 0, 6, 0), collect,
                                   &out));
    EXPECT_EQ(out, "\n[2026-12-10 00:00:06.000] y");
}

}  // namespace
