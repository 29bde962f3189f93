// Find in the scrollback over a console without a window: where each find lands, when
// it goes round, what the selection then copies, and where it goes on after the
// front of the buffer was discarded.
#include "console/console_find.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_selection.h"
#include "tests/console/console_invariants.h"

namespace {

struct Step {
    bool backward;
    int result;  // ConsoleFindResult
    int offset;  // when found
};

struct FindCase {
    const char* name;
    std::string text;
    std::string pattern;
    bool hex;
    bool match_case;
    std::vector<Step> steps;
};

std::string copied(const Console* c)
{
    std::string s(console_selection_copy_length(c) + 1, '?');
    console_selection_copy_text(c, &s[0]);
    s.pop_back();
    return s;
}

BytePattern compile(const std::string& text, bool hex, bool match_case)
{
    BytePattern p;
    if (hex)
        byte_match_compile_bytes(&p, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    else
        byte_match_compile_text(&p, text.data(), text.size(), match_case);
    return p;
}

TEST(ConsoleFind, StepsThroughTheMatchesAndGoesRound)
{
    const std::vector<FindCase> cases = {
        {"forward then round", "ab OK\r\nOK cd\r\nok", "OK", false, true,
         {{false, FIND_FOUND, 3}, {false, FIND_FOUND, 7}, {false, FIND_WRAPPED, 3}}},
        {"backward from the end shown, then round", "x1 x2 x3", "x", false, true,
         {{true, FIND_FOUND, 6}, {true, FIND_FOUND, 3}, {true, FIND_FOUND, 0}, {true, FIND_WRAPPED, 6}}},
        {"next then previous", "a-a-a", "a", false, true,
         {{false, FIND_FOUND, 0}, {false, FIND_FOUND, 2}, {true, FIND_FOUND, 0}}},
        // 表 is 95 5C: a text "\" never matches its trail byte, the byte 5C does.
        {"0x5C trail byte as text", "\x95\x5c\\", "\\", false, true,
         {{false, FIND_FOUND, 2}, {false, FIND_WRAPPED, 2}}},
        {"nothing", "abc", "abd", false, true, {{false, FIND_NOT_FOUND, 0}, {true, FIND_NOT_FOUND, 0}}},
    };
    for (const FindCase& k : cases) {
        SCOPED_TRACE(k.name);
        Console* c = make_test_console(4096, 80);
        c->view.page_rows = c->view.full_rows = 10;
        c->view.page_columns = c->view.full_columns = 80;
        append_text(c, k.text);
        const BytePattern pattern = compile(k.pattern, k.hex, k.match_case);
        for (const Step& step : k.steps) {
            const ConsoleFindMatch m = console_find(c, &pattern, step.backward);
            EXPECT_EQ(m.result, step.result);
            if (step.result == FIND_NOT_FOUND) {
                EXPECT_EQ(c->selection.selection_state, 0);
                continue;
            }
            EXPECT_EQ(m.offset, static_cast<std::uint32_t>(step.offset));
            const std::string want = k.text.substr(static_cast<std::size_t>(step.offset), k.pattern.size());
            EXPECT_EQ(copied(c), want);
        }
        EXPECT_EQ(console_invariant_fault(c), "");
        free_test_console(c);
    }
}

// A kanji word cut by the wrap is one match over both rows, and the view scrolls to
// the row it starts on.
TEST(ConsoleFind, MatchOverAWrapScrollsIntoView)
{
    Console* c = make_test_console(65536, 8);
    c->view.page_rows = c->view.full_rows = 4;
    c->view.page_columns = c->view.full_columns = 8;
    std::string text;
    for (int i = 0; i < 40; ++i) text += "line\r\n";
    text += "abcdef\x8e\xf3\x90\x4d" "xyz\r\n";  // 受信 over the wrap after 8 bytes
    for (int i = 0; i < 40; ++i) text += "tail\r\n";
    append_text(c, text);
    const BytePattern pattern = compile("f\x8e\xf3\x90\x4dx", false, true);
    const ConsoleFindMatch m = console_find(c, &pattern, false);
    ASSERT_EQ(m.result, FIND_FOUND);
    EXPECT_EQ(copied(c), "f\x8e\xf3\x90\x4dx");
    const std::uint32_t line = console_line_of_offset(c, m.offset);
    EXPECT_EQ(line, 40u);
    EXPECT_EQ(console_line_info(c, line).end, LINE_WRAPPED);
    EXPECT_LE(c->view.vscroll_pos, 40);
    EXPECT_GT(c->view.vscroll_pos + c->view.full_rows, 40);
    EXPECT_EQ(c->view.hscroll_pos, 0);  // the match's start shows
    free_test_console(c);
}

// Data goes on arriving and pushes the earlier matches out of a small buffer: the
// next find goes on from the front of what is left, and a selection the user made
// since is where it goes on from instead.
TEST(ConsoleFind, GoesOnAfterTheFrontWasDiscarded)
{
    Console* c = make_test_console(256, 80);
    c->view.page_rows = c->view.full_rows = 4;
    c->view.page_columns = c->view.full_columns = 80;
    append_text(c, "OK 1\r\nOK 2\r\n");
    const BytePattern pattern = compile("OK", false, true);
    ASSERT_EQ(console_find(c, &pattern, false).offset, 0u);
    console_clear_selection(c);  // as an append does
    ASSERT_EQ(console_find(c, &pattern, false).offset, 6u);
    console_clear_selection(c);
    for (int i = 0; i < 60; ++i) append_text(c, "..........\r\n");
    append_text(c, "OK 3\r\nOK 4\r\n");
    ASSERT_GT(console_first_byte_number(c), 12u);  // both earlier matches are gone
    ConsoleFindMatch m = console_find(c, &pattern, false);
    EXPECT_EQ(m.result, FIND_FOUND);
    EXPECT_EQ(copied(c), "OK");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c->buffer.text) + m.offset, 4), "OK 3");
    m = console_find(c, &pattern, false);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c->buffer.text) + m.offset, 4), "OK 4");
    // Backward before the discarded match goes round to the end.
    console_clear_selection(c);
    c->selection.found_start = c->selection.found_end = 0;
    m = console_find(c, &pattern, true);
    EXPECT_EQ(m.result, FIND_WRAPPED);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c->buffer.text) + m.offset, 4), "OK 4");
    // Cleared: the next find starts at the front again.
    console_clear_buffer(c);
    append_text(c, "OK 5\r\n");
    EXPECT_EQ(console_find(c, &pattern, false).offset, 0u);
    EXPECT_EQ(console_invariant_fault(c), "");
    free_test_console(c);
}

}  // namespace
