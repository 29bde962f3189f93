// What the console keeps of each line beside its bytes: how it ended (line end or
// wrap) and when its first byte came, both still true of every line after old lines
// were discarded, and line and byte numbers that stay valid across the discarding.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/console/console_invariants.h"

namespace {

struct Appended {
    std::string bytes;
    ConsoleTime time;
};

// One line a row: its bytes, how it ended and the time of its first byte.
std::string describe(const std::string& text, int end, ConsoleTime time)
{
    return "[" + text + "] " + "OEW"[end] + " @" + std::to_string(time) + "\n";
}

std::string lines_of(const Console* c)
{
    std::string out;
    for (std::uint32_t i = 0; i <= console_last_line(c); ++i) {
        const ConsoleLineInfo info = console_line_info(c, i);
        out += describe(console_line(c, i), info.end, info.first_byte_time);
    }
    return out;
}

TEST(ConsoleLines, EachLineKnowsHowItEndedAndWhenItsFirstByteCame)
{
    const std::string a40(40, 'a'), a39(39, 'a');
    struct Case {
        const char* what;
        std::vector<Appended> appends;
        std::string lines;
    };
    const auto E = [](const std::string& text, ConsoleTime time) { return describe(text, LINE_ENDED, time); };
    const auto W = [](const std::string& text, ConsoleTime time) { return describe(text, LINE_WRAPPED, time); };
    const auto O = [](const std::string& text, ConsoleTime time) { return describe(text, LINE_OPEN, time); };
    const Case cases[] = {
        {"an empty line takes the time of the append that fills it",
         {{"ab\r\n", 10}, {"cd", 20}, {"e\r\nf", 30}},
         E("ab\r\n", 10) + E("cde\r\n", 20) + O("f", 30)},
        {"a wrap is not a line end, and its continuation has a time of its own",
         {{a40 + "xy", 5}, {"\r\n", 6}},
         W(a40, 5) + E("xy\r\n", 5) + O("", 6)},
        {"the second byte of a pair joins the line before, in a later append too",
         {{"x\r", 1}, {"\ny", 2}, {"\n\r", 3}},
         E("x\r\n", 1) + E("y\n\r", 2) + O("", 3)},
        {"a character held whole at the wrap",
         {{a39 + "\x8a", 1}, {"\xbf" "b", 2}},
         W(a39 + "\x8a\xbf", 1) + O("b", 2)},
        {"a line emptied by backspace takes the time of its new first byte",
         {{"q", 1}, {"\x08", 2}, {"r", 3}},
         O("r", 3)},
    };
    for (const Case& k : cases) {
        Console* c = make_test_console(65536, 40);
        for (const Appended& a : k.appends) append_text(c, a.bytes, a.time);
        EXPECT_EQ(lines_of(c), k.lines) << k.what;
        EXPECT_EQ(console_invariant_fault(c), "") << k.what;
        free_test_console(c);
    }
}

// Numbered lines "%06d\r\n", line n appended alone at time n: after any discarding,
// line i of the console must still be the line its number, time and positions say.
void expect_numbered_lines_aligned(const Console* c, int appended)
{
    ASSERT_GT(console_last_line(c), 0u);
    for (std::uint32_t i = 0; i < console_last_line(c); ++i) {
        const int n = std::atoi(console_line(c, i).c_str());
        ASSERT_EQ(console_line_info(c, i).first_byte_time, n) << i;
        ASSERT_EQ(console_first_line_number(c) + i, static_cast<std::uint64_t>(n)) << i;
        ASSERT_EQ(console_first_byte_number(c) + console_line_start(c, i), 8u * n) << i;
    }
    EXPECT_EQ(std::atoi(console_line(c, console_last_line(c) - 1).c_str()), appended - 1);
}

TEST(ConsoleLines, DiscardingKeepsEachLinesFactsAndNumbers)
{
    // A full buffer of 64 KB; a full line table (10000 lines of 8 bytes) in 1 MB, whose
    // ring of slots goes round several times.
    for (std::uint32_t size : {65536u, 1u << 20}) {
        Console* c = make_test_console(size, 80);
        char line[16];
        int n = 0;
        for (; n < 35000; ++n) {
            std::snprintf(line, sizeof line, "%06d\r\n", n);
            append_text(c, line, n);
        }
        expect_numbered_lines_aligned(c, n);
        // Shrinking discards from the front too.
        console_resize_buffer(c, 32768);
        expect_numbered_lines_aligned(c, n);
        EXPECT_EQ(console_invariant_fault(c), "");
        free_test_console(c);
    }
}

}  // namespace
