// The pacing schedule: which bytes go together and how long the sender waits after
// them, for char delays, line delays, both, and none.
#include "terminal/pacing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ScheduleCase {
    const char* name;
    Pacing pacing;
    const char* data;
    const char* expected;  // each piece as "bytes/delay", separated by '|'
};

// Runs the whole schedule over data, describing each piece.
std::string schedule(const Pacing& pacing, const char* text)
{
    const auto* data = reinterpret_cast<const unsigned char*>(text);
    std::size_t length = std::strlen(text), at = 0;
    std::string out;
    while (at < length) {
        PacedPiece piece = pacing_next_piece(pacing, data + at, length - at);
        if (piece.length == 0 || piece.length > length - at) return out + "!bad piece";
        if (!out.empty()) out += '|';
        for (std::size_t i = 0; i < piece.length; ++i) {
            char c = text[at + i];
            out += c == '\r' ? std::string("CR") : c == '\n' ? std::string("LF") : std::string(1, c);
        }
        out += '/' + std::to_string(piece.delay_ms);
        at += piece.length;
    }
    return out;
}

TEST(PacingSchedule, PiecesAndPausesAsTheDelaysSay)
{
    const ScheduleCase cases[] = {
        {"no pacing sends all at once", {0, 0}, "AB\r\nCD", "ABCRLFCD/0"},
        {"char delay: one byte at a time", {5, 0}, "ABC", "A/5|B/5|C/5"},
        {"CR LF is one line end, after its LF", {5, 100}, "A\r\nB", "A/5|CR/5|LF/105|B/5"},
        {"a lone CR or LF ends a line", {1, 10}, "\rA\n", "CR/11|A/1|LF/11"},
        {"a CR as the last byte ends a line", {2, 7}, "A\r", "A/2|CR/9"},
        {"line delay alone: up to each line end", {0, 30}, "AB\r\nC\rD", "ABCRLF/30|CCR/30|D/0"},
        {"blank lines pause each", {0, 4}, "\n\n", "LF/4|LF/4"},
        {"negative delays count as none", {-5, -1}, "A\n", "ALF/0"},
    };
    for (const ScheduleCase& c : cases) EXPECT_EQ(schedule(c.pacing, c.data), c.expected) << c.name;
    EXPECT_EQ(pacing_next_piece(Pacing{5, 5}, nullptr, 3).length, 0u);
}

}  // namespace
