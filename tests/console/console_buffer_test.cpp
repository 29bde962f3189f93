// The console buffer: line ends and their pairing, wrapping, backspace, discarding
// whole lines from the front, the full line table, oversized input and resizing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/console/console_invariants.h"

namespace {

struct ConsoleBuffer : ::testing::Test {
    Console* c = nullptr;
    bool column_changed = false;  // lines stored before keep the old column's breaks
    void make(std::uint32_t bytes = 65536, std::int32_t column = 80) { c = make_test_console(bytes, column); }
    void SetUp() override { make(); }
    void TearDown() override
    {
        if (c) {
            EXPECT_EQ(console_invariant_fault(c, !column_changed), "");
            free_test_console(c);
        }
    }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (std::uint32_t i = 0; i <= console_last_line(c); ++i) out.push_back(console_line(c, i));
        return out;
    }
    void remake(std::uint32_t bytes, std::int32_t column)
    {
        free_test_console(c);
        make(bytes, column);
    }
};

typedef std::vector<std::string> Lines;

TEST_F(ConsoleBuffer, PairsCrLfAndLfCrIntoOneLineEnd)
{
    append_text(c, "A\r\nB");
    EXPECT_EQ(lines(), (Lines{"A\r\n", "B"}));
    remake(65536, 80);
    append_text(c, "A\n\rB");
    EXPECT_EQ(lines(), (Lines{"A\n\r", "B"}));
}

TEST_F(ConsoleBuffer, RepeatedLineEndsEachEndALine)
{
    append_text(c, "\r\r");
    EXPECT_EQ(lines(), (Lines{"\r", "\r", ""}));
    remake(65536, 80);
    append_text(c, "\n\n");
    EXPECT_EQ(lines(), (Lines{"\n", "\n", ""}));
    remake(65536, 80);
    append_text(c, "\r\n\r\n");
    EXPECT_EQ(lines(), (Lines{"\r\n", "\r\n", ""}));
    remake(65536, 80);
    append_text(c, "\n\r\n");
    EXPECT_EQ(lines(), (Lines{"\n\r", "\n", ""}));
}

TEST_F(ConsoleBuffer, PairingWorksAcrossAppends)
{
    // A CR at the end of one received chunk and its LF at the start of the next.
    append_text(c, "A\r");
    append_text(c, "\nB");
    EXPECT_EQ(lines(), (Lines{"A\r\n", "B"}));
}

TEST_F(ConsoleBuffer, WrapsAtTheColumnAndLeavesALineEndOnItsOwnLine)
{
    remake(65536, 40);
    std::string forty(40, 'x');
    append_text(c, forty + "\r\n");
    EXPECT_EQ(lines(), (Lines{forty, "\r\n", ""}));
    append_text(c, std::string(41, 'y'));
    EXPECT_EQ(console_line(c, 2), std::string(40, 'y'));
    EXPECT_EQ(console_line(c, 3), "y");
}

// A character whose lead byte is the column-th byte keeps its trail byte on the same
// line, whole or in two appends; a lone lead byte there still ends the line.
TEST_F(ConsoleBuffer, WrapKeepsADoubleByteCharacterWhole)
{
    const std::string kanji = "\x8a\xbf\x8e\x9a";  // 漢字
    struct Case {
        std::vector<std::string> appends;
        std::vector<std::string> lines;
    };
    const std::string a39(39, 'a');
    const Case cases[] = {
        {{a39 + kanji}, {a39 + "\x8a\xbf", "\x8e\x9a"}},
        {{a39 + "\x8a", "\xbf\x8e\x9a"}, {a39 + "\x8a\xbf", "\x8e\x9a"}},
        {{a39 + "\x8a", "\r\n"}, {a39 + "\x8a", "\r\n", ""}},          // no trail: the line end is alone
        {{a39 + "\x8a" "A"}, {a39 + "\x8a" "A", ""}},                        // 'A' is a trail byte too
        {{std::string(38, 'a') + "\x88\x8a" "X"}, {std::string(38, 'a') + "\x88\x8a", "X"}},  // 8A is a trail here
        {{a39 + "\x8a\x08" "b"}, {a39 + "b", ""}},                          // BS takes the held lead back
    };
    for (const Case& k : cases) {
        remake(65536, 40);
        for (const std::string& bytes : k.appends) append_text(c, bytes);
        ASSERT_EQ(console_last_line(c) + 1, k.lines.size()) << k.appends[0].size();
        for (std::uint32_t i = 0; i < k.lines.size(); ++i) EXPECT_EQ(console_line(c, i), k.lines[i]) << i;
        EXPECT_EQ(console_invariant_fault(c), "");
    }
}

TEST_F(ConsoleBuffer, ColumnChangeAffectsOnlyNewBytes)
{
    remake(65536, 40);
    append_text(c, std::string(45, 'a'));
    console_set_column(c, 50);
    column_changed = true;
    console_set_column(c, 0);  // ignored
    EXPECT_EQ(c->buffer.column, 50);
    append_text(c, std::string(50, 'b'));
    EXPECT_EQ(console_line(c, 0).size(), 40u);
    EXPECT_EQ(console_line(c, 1), std::string(5, 'a') + std::string(45, 'b'));
    EXPECT_EQ(console_line(c, 2), std::string(5, 'b'));
}

TEST_F(ConsoleBuffer, Backspace)
{
    append_text(c, "\x08");
    EXPECT_EQ(c->buffer.used, 0u);
    append_text(c, "A\x08");
    EXPECT_EQ(lines(), (Lines{""}));
    append_text(c, "x\x82\xa0\x08");
    EXPECT_EQ(lines(), (Lines{"x"}));
    append_text(c, "\r\n\x08");
    EXPECT_EQ(lines(), (Lines{"x\r\n", ""}));
    // A lone double-byte character at the start of a line: len is not above 1 after
    // the lead byte alone, so "\x82" BS removes one byte.
    append_text(c, "\x82\x08");
    EXPECT_EQ(lines(), (Lines{"x\r\n", ""}));
    // Only the two bytes are looked at: a half-width katakana is one byte.
    append_text(c, "\xb1\xb2\x08");
    EXPECT_EQ(lines(), (Lines{"x\r\n", "\xb1"}));
}

TEST_F(ConsoleBuffer, FullBufferDiscardsWholeLinesBeyondTheSixteenth)
{
    remake(65536, 256);
    std::string line(98, 'L');
    line += "\r\n";
    for (int i = 0; i < 655; ++i) append_text(c, line);
    append_text(c, std::string(30, 't'));
    ASSERT_EQ(c->buffer.used, 65530u);
    ASSERT_EQ(console_last_line(c), 655u);
    append_text(c, "0123456789");
    // Threshold 4096; the first line starting beyond it starts at 4100: 41 lines go.
    EXPECT_EQ(c->buffer.used, 65530u + 10 - 4100);
    EXPECT_EQ(console_last_line(c), 655u - 41);
    EXPECT_EQ(console_line(c, console_last_line(c)), std::string(30, 't') + "0123456789");
    EXPECT_EQ(console_line(c, 0), line);
}

TEST_F(ConsoleBuffer, DiscardClearsWhenOnlyTheLastLineCouldStay)
{
    append_text(c, "short\r\n");
    append_text(c, std::string(65000, 'z'));  // wraps into 80-byte lines
    std::uint32_t before = c->buffer.used;
    EXPECT_GT(before, 65000u);
    console_discard_front(c, 1);
    EXPECT_LT(c->buffer.used, before);
    // One huge last line with nothing before it: everything goes.
    remake(65536, 256);
    c->buffer.column = 1 << 20;
    append_text(c, std::string(65000, 'q'));
    ASSERT_EQ(console_last_line(c), 0u);
    append_text(c, std::string(600, 'r'));
    EXPECT_EQ(c->buffer.used, 600u);
}

TEST_F(ConsoleBuffer, InputLongerThanTheBufferKeepsItsFirstBytes)
{
    remake(65536, 80);
    append_text(c, "old\r\n");
    std::string block;
    for (int i = 0; i < 70000; ++i) block += static_cast<char>('a' + i % 26);
    append_text(c, block);
    EXPECT_EQ(c->buffer.used, 65536u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(c->buffer.text), 80), block.substr(0, 80));
    EXPECT_EQ(c->buffer.text[65535], static_cast<unsigned char>(block[65535]));
    // Exactly the capacity fits as well.
    remake(65536, 80);
    append_text(c, "x");
    append_text(c, block.substr(0, 65536));
    EXPECT_EQ(c->buffer.used, 65536u);
    EXPECT_EQ(c->buffer.text[0], 'a');
}

TEST_F(ConsoleBuffer, FullLineTableDiscardsLinesCoveringASixteenth)
{
    for (int i = 0; i < 9999; ++i) append_text(c, "\n");
    ASSERT_EQ(console_last_line(c), 9999u);
    append_text(c, "a");
    ASSERT_EQ(console_last_line(c), 9999u);
    append_text(c, "\n");
    // More than 65536 / 16 bytes of lines went.
    EXPECT_EQ(console_last_line(c), 9999u - 4097u + 1u);
    EXPECT_EQ(console_line(c, console_last_line(c) - 1), "a\n");
}

TEST_F(ConsoleBuffer, FullLineTableOfTinyLinesInALargeBufferKeepsTheNewByte)
{
    // 10000 one-byte lines are less than a sixteenth of 1 MB: nothing can stay, and
    // the line end that asked for room starts the new text.
    remake(1 << 20, 80);
    for (int i = 0; i < 9999; ++i) append_text(c, "\n");
    append_text(c, "x\r");
    EXPECT_EQ(console_last_line(c), 1u);
    EXPECT_EQ(lines(), (Lines{"\r", ""}));
}

TEST_F(ConsoleBuffer, ResizeSmallerKeepsTheNewestWholeLines)
{
    remake(65536, 256);
    std::string line(98, 'R');
    line += "\r\n";
    for (int i = 0; i < 600; ++i) append_text(c, line);  // 60000 bytes
    c->selection.selection_state = 2;
    c->selection.sel_anchor.offset = 59000;
    c->selection.sel_end.offset = 59990;
    console_resize_buffer(c, 32768);
    EXPECT_EQ(c->buffer.capacity, 32768u);
    EXPECT_LE(c->buffer.used, 32768u);
    // At least the excess (27232) and at least a sixteenth of the old size went, in
    // whole lines.
    EXPECT_EQ(c->buffer.used % 100, 0u);
    EXPECT_EQ(c->buffer.used, 60000u - 27300u);
    EXPECT_EQ(c->selection.selection_state, 0);
    EXPECT_EQ(console_line(c, 0), line);
    // Growing keeps all.
    console_resize_buffer(c, 1 << 20);
    EXPECT_EQ(c->buffer.used, 60000u - 27300u);
    EXPECT_EQ(console_line(c, console_last_line(c) - 1), line);
}

TEST_F(ConsoleBuffer, QueriesOutsideTheTextAnswerNothing)
{
    append_text(c, "ab\r\ncd");
    EXPECT_EQ(console_text_length(c), 6u);
    EXPECT_EQ(console_text_at(c, 5)[0], 'd');
    EXPECT_EQ(console_text_at(c, 6), nullptr);
    EXPECT_EQ(console_line_start(c, 1), 4u);
    EXPECT_EQ(console_line_end(c, 0), 4u);
    EXPECT_EQ(console_line_end(c, 1), 6u);
    EXPECT_EQ(console_line_start(c, 2), 0u);
    EXPECT_EQ(console_line_end(c, 2), 0u);
    EXPECT_EQ(console_last_line_length(c), 2u);
    EXPECT_EQ(console_text_length(nullptr), 0u);
    EXPECT_EQ(console_text_at(nullptr, 0), nullptr);
}

TEST_F(ConsoleBuffer, ClearEmptiesTextLinesAndSelection)
{
    append_text(c, "one\r\ntwo");
    c->selection.selection_state = 3;
    c->selection.sel_end.offset = 4;
    console_clear_buffer(c);
    EXPECT_EQ(c->buffer.used, 0u);
    EXPECT_EQ(console_last_line(c), 0u);
    EXPECT_EQ(c->selection.selection_state, 0);
    EXPECT_EQ(c->selection.sel_end.offset, 0);
    EXPECT_EQ(c->buffer.text[0], 0);
}

TEST(ConsoleBufferAllocation, WithoutBuffersEveryAppendIsIgnored)
{
    Console* c = new Console();
    ConsoleSettings settings{};
    settings.buffer_bytes = 0;
    settings.column = 80;
    EXPECT_FALSE(console_allocate_buffers(c, &settings));
    const unsigned char bytes[] = {'a', '\r'};
    EXPECT_FALSE(console_append_bytes(c, bytes, 2, 0));
    console_resize_buffer(c, 4096);
    console_discard_front(c, 10);
    console_clear_buffer(c);
    EXPECT_EQ(console_text_length(c), 0u);
    EXPECT_EQ(console_invariant_fault(c), "");
    free_test_console(c);
}

TEST(ConsoleSettingsTake, TakesValuesAndTerminatesTheFaceName)
{
    Console* c = make_test_console(65536, 80);
    console_input_insert(c, "abc", 3, 1);
    ConsoleSettings s{};
    s.buffer_bytes = 131072;
    s.column = 120;
    s.line_mode = 1;
    s.tab_width = 4;
    s.colours[5] = 0x123456;
    std::memset(s.font_face, 'F', sizeof s.font_face);
    console_take_settings(c, &s);
    EXPECT_EQ(c->buffer.capacity, 131072u);
    EXPECT_EQ(c->buffer.column, 120);
    EXPECT_EQ(c->view.tab_width, 4);
    EXPECT_EQ(c->view.colours[5], 0x123456u);
    EXPECT_EQ(std::strlen(c->view.font_face), 31u);
    // Switching the input mode empties the LINE input line.
    EXPECT_EQ(c->input.input_length, 0);
    free_test_console(c);
}

}  // namespace
