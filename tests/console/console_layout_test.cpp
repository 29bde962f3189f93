// The console's view arithmetic: rows laid out in CHAR and hexadecimal display, the
// wrap and cell-capacity limits, the left edge and runs, scroll positions, the
// scroll to the end, the LINE input line and the mouse hit test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_layout.h"
#include "tests/console/console_invariants.h"

namespace {

struct Layout : ::testing::Test {
    Console* c = make_test_console(65536, 80);
    void TearDown() override { free_test_console(c); }
    RowLayout last{0, 0};
    // The cells of a row, and its classes as digits.
    std::string row(std::uint32_t p, std::uint32_t n, std::int32_t lo = -1, std::int32_t hi = -1)
    {
        last = console_layout_row(c, p, n, lo, hi);
        return std::string(reinterpret_cast<const char*>(c->view.row_chars), last.columns);
    }
    std::string classes() const
    {
        std::string s;
        for (std::int32_t i = 0; i < last.columns; ++i) s += static_cast<char>('0' + c->view.row_classes[i]);
        return s;
    }
    std::string line_row(std::uint32_t line)
    {
        return row(console_line_start(c, line), console_line_end(c, line) - console_line_start(c, line));
    }
    ConsoleHit hit(std::int32_t column, std::int32_t row_index)
    {
        return console_hit_test(c, 5 + column * 8, 3 + row_index * 16);
    }
};

TEST_F(Layout, HexDisplayShowsEveryControlByteAsAGroup)
{
    c->view.hex_mode = 1;
    append_text(c, "A\r\nB");
    EXPECT_EQ(line_row(0), "A<0D><0A>");
    EXPECT_EQ(classes(), "011111111");
    EXPECT_EQ(line_row(1), "B");
    EXPECT_EQ(row(0, 3, 1, 1), "A<0D><0A>");  // selected beats hexadecimal
    EXPECT_EQ(classes(), "022221111");
    console_clear_buffer(c);
    append_text(c, std::string("\t\0\x80\xFF", 4));
    EXPECT_EQ(line_row(0), "<09><00>\x80\xFF");
}

TEST_F(Layout, CharDisplayExpandsTabsFromTheRowStart)
{
    c->view.tab_width = 4;
    append_text(c, "ab\tc\r\n");
    EXPECT_EQ(line_row(0), "ab  c  ");  // CR and LF: one blank cell each
    c->view.tab_width = 0;  // acts as 1
    EXPECT_EQ(line_row(0), "ab c  ");
}

// A lead byte without its trail is a byte of its own: shown as a half-width dot so
// that the byte after it keeps its own cells.
TEST_F(Layout, ALoneLeadByteLeavesTheNextByteItsCells)
{
    struct Case {
        int hex;
        std::string bytes, cells;
    };
    const Case cases[] = {
        {0, "\x82\x1b" "z", "\xa5\x1b" "z"},
        {1, "\x82\x1b" "z", "\xa5<1B>z"},
        {0, "\x82\t" "z", "\xa5   z"},
        {1, "\x82\x07", "\xa5<07>"},
        {0, "a\x82", "a\xa5"},                  // the last byte of its row
        {0, "\x82\xa0\x82", "\x82\xa0\xa5"},    // a whole character stays as it is
        {0, "\x88\x8a\x8a", "\x88\x8a\xa5"},    // 8A after 88 is that one's trail
    };
    c->view.tab_width = 4;
    for (const Case& k : cases) {
        c->view.hex_mode = k.hex;
        console_clear_buffer(c);
        append_text(c, k.bytes);
        EXPECT_EQ(line_row(0), k.cells) << k.bytes;
    }
}

TEST_F(Layout, ReducedColumnWrapsKeepingDoubleByteCharactersWhole)
{
    append_text(c, "abc\x82\xA0" "defghi");
    console_set_column(c, 4);
    EXPECT_EQ(row(0, 11), "abc\x82\xA0");
    EXPECT_EQ(row(5, 6), "defg");
    console_set_column(c, 3);  // a lead byte past the column is not pulled in
    EXPECT_EQ(row(0, 11), "abc");
}

// What a paint draws, decided without drawing: the runs of each row with the point
// where each starts (cells of 8 x 16 pixels from the margins), the background after
// them, the visible-row table and the caret.
struct Painted {
    std::vector<std::string> runs;   // "x,y:class:cells"
    std::vector<std::string> fills;  // "x,y"
    static void run(void* context, std::int32_t x, std::int32_t y, const char* cells, std::int32_t count, int cls)
    {
        static_cast<Painted*>(context)->runs.push_back(std::to_string(x) + "," + std::to_string(y) + ":" +
                                                       std::to_string(cls) + ":" + std::string(cells, count));
    }
    static void fill(void* context, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t)
    {
        static_cast<Painted*>(context)->fills.push_back(std::to_string(x) + "," + std::to_string(y));
    }
};

TEST_F(Layout, PaintDecidesRunsBackgroundRowsAndCaret)
{
    c->view.char_width = 8;
    c->view.line_height = 16;
    append_text(c, "ab\r\nxyz");
    c->selection.selection_state = 3;
    c->selection.sel_anchor.offset = c->selection.sel_end.offset = 5;  // "y"
    Painted painted;
    const ConsolePaintSink sink = {&painted, Painted::run, Painted::fill, nullptr};
    ASSERT_TRUE(console_paint_rows(c, 4 + 80, 2 + 3 * 16, &sink));
    EXPECT_EQ(painted.runs, (std::vector<std::string>{"4,2:0:ab  ", "4,18:0:x", "12,18:2:y", "20,18:0:z"}));
    EXPECT_EQ(painted.fills, (std::vector<std::string>{"36,2", "28,18", "4,34"}));
    EXPECT_EQ(c->view.page_rows, 3);
    EXPECT_EQ(c->view.page_columns, 10);
    EXPECT_EQ(c->view.last_row, 1);
    EXPECT_EQ(c->view.row_table[1].offset, 4);
    EXPECT_EQ(c->view.row_table[1].count, 3);
    EXPECT_EQ(c->view.caret_x, 28);  // just after the last byte
    EXPECT_EQ(c->view.caret_y, 18);

    // Scrolled onto the right half of a double-byte character: it is drawn from one
    // cell left of the text area; scrolled past the text, the caret is out of sight.
    console_clear_buffer(c);
    append_text(c, "a\x82\xa0" "b");
    c->view.hscroll_pos = 2;
    painted = Painted{};
    ASSERT_TRUE(console_paint_rows(c, 4 + 80, 2 + 16, &sink));
    EXPECT_EQ(painted.runs, (std::vector<std::string>{"-4,2:0:\x82\xa0" "b"}));
    c->view.hscroll_pos = 5;
    console_paint_rows(c, 4 + 80, 2 + 16, &sink);
    EXPECT_LT(c->view.caret_x, 0);
}

TEST_F(Layout, RowEndsAtTheCellCapacityWithoutLosingBytes)
{
    console_set_column(c, 257);
    append_text(c, std::string(257, '\t'));
    row(0, 257);
    EXPECT_EQ(last.consumed, 132u);
    EXPECT_EQ(last.columns, CONSOLE_ROW_CELLS);
    row(132, 125);
    EXPECT_EQ(last.consumed, 125u);
    EXPECT_EQ(last.columns, 1000);
    c->view.tab_width = 5000;  // one TAB still makes a row
    row(0, 257);
    EXPECT_EQ(last.consumed, 1u);
}

TEST_F(Layout, LeftEdgeShiftsOffTrailCellsAndRunsFollowClasses)
{
    append_text(c, "a\x88\x9F" "bcd");  // the trail byte is in the lead range too
    row(0, 6, 4, 5);
    bool shifted = false;
    const std::int32_t expected[][2] = {{0, 0}, {1, 0}, {1, 1}, {3, 0}, {4, 0}, {-1, 0}};
    for (std::int32_t h = 0; h < 6; ++h) {
        c->view.hscroll_pos = h == 5 ? 6 : h;
        EXPECT_EQ(console_left_edge_column(c, last.columns, &shifted), expected[h][0]) << h;
        EXPECT_EQ(shifted, expected[h][1] == 1) << h;
    }
    EXPECT_EQ(console_run_length(c, 0, 6), 4);
    EXPECT_EQ(console_run_length(c, 2, 6), 2);
    EXPECT_EQ(console_run_length(c, 4, 6), 2);
    EXPECT_EQ(console_run_length(c, 6, 6), 0);
}

TEST_F(Layout, WheelClampAndScrollToEnd)
{
    EXPECT_EQ(console_wheel_scroll(10, 120), 8);
    EXPECT_EQ(console_wheel_scroll(10, -240), 14);
    EXPECT_EQ(console_wheel_scroll(10, 60), 10);
    EXPECT_EQ(console_wheel_scroll(10, -60), 10);
    EXPECT_EQ(console_clamp_scroll(5, console_vscroll_range(c), 8), 0);  // empty console
    EXPECT_EQ(console_clamp_scroll(10, console_vscroll_range(c), 5), 3);
    EXPECT_EQ(console_page_count(33, 16), 3);
    EXPECT_EQ(console_page_count(32, 16), 2);
    c->view.page_rows = c->view.full_rows = 30;
    c->view.page_columns = c->view.full_columns = 80;
    append_text(c, std::string(28, '\n'));
    ScrollTargets t = console_scroll_to_end_targets(c);
    EXPECT_FALSE(t.set_v || t.set_h);
    append_text(c, "\n" + std::string(79, 'x'));
    t = console_scroll_to_end_targets(c);
    EXPECT_TRUE(t.set_v && t.set_h);
    EXPECT_EQ(t.v, 3);
    EXPECT_EQ(t.h, 3);
    c->view.vscroll_pos = 40;
    c->view.hscroll_pos = 90;
    t = console_scroll_to_end_targets(c);
    EXPECT_EQ(t.v, 28);
    EXPECT_EQ(t.h, 78);
}

// However few rows or columns a window shows, the end of the text stays among them.
TEST_F(Layout, ScrollToEndKeepsTheEndInTinyViews)
{
    append_text(c, std::string(199, '\n') + "end");
    struct Case {
        std::int32_t page, full, expected_v;
    };
    const Case cases[] = {{30, 29, 173}, {3, 2, 199}, {2, 1, 199}, {1, 0, 199}, {0, 0, 199}};
    for (const Case& k : cases) {
        c->view.vscroll_pos = 0;
        c->view.hscroll_pos = 0;
        c->view.page_rows = k.page;
        c->view.full_rows = k.full;
        c->view.page_columns = 2;
        c->view.full_columns = 1;
        ScrollTargets t = console_scroll_to_end_targets(c);
        EXPECT_TRUE(t.set_v) << k.page;
        EXPECT_EQ(t.v, k.expected_v) << k.page;
        EXPECT_TRUE(t.set_h);
        EXPECT_EQ(t.h, 3);  // the caret after "end" is the one column shown
    }
}

TEST_F(Layout, LineInputCaretRenderingAndScrolling)
{
    c->view.tab_width = 4;
    c->view.char_width = 8;
    console_input_insert(c, "ab\tc", 4, 1);
    EXPECT_EQ(console_input_columns(c), 5);
    EXPECT_EQ(console_input_caret_x(c), 48);
    EXPECT_EQ(console_render_input(c), 5);
    EXPECT_STREQ(c->input.input_render, "ab  c");
    console_input_reset(c);
    for (int typed = 0; typed < 80; ++typed) {
        console_input_insert(c, "x", 1, 1);
        console_scroll_input(c, 8, 404);
        EXPECT_GT(404 - console_input_caret_x(c), 3 * 8) << typed;
    }
    EXPECT_LE(404 - console_input_caret_x(c), 4 * 8);
    const std::int32_t first = c->input.input_first_column;
    c->input.input_cursor = first - 1;
    console_scroll_input(c, 8, 404);
    EXPECT_EQ(c->input.input_first_column, first - 1);  // one column per call
    console_input_reset(c);
    console_input_insert(c, "a\x82\xA0" "bcd", 6, 1);
    c->input.input_first_column = 3;
    c->input.input_cursor = 0;
    console_scroll_input(c, 8, 404);
    EXPECT_EQ(c->input.input_first_column, 1);  // stepped off the trail byte, leftwards
    c->view.tab_width = 8;
    console_input_reset(c);
    console_input_insert(c, std::string(256, '\t').data(), 256, 1);
    EXPECT_EQ(console_render_input(c), CONSOLE_ROW_CELLS - 1);
    // A tab width edited into the settings file as large as it goes: a tab in the line
    // is no wider than a row, as in the rows above it, and the caret's place fits.
    c->view.tab_width = INT32_MAX;
    console_input_reset(c);
    console_input_insert(c, "\t\t", 2, 1);
    EXPECT_EQ(console_input_columns(c), 2 * CONSOLE_ROW_CELLS);
    EXPECT_EQ(console_input_caret_x(c), (2 * CONSOLE_ROW_CELLS + 1) * 8);
}

TEST_F(Layout, HitTestCountsCellsAsTheRowsWereLaidOut)
{
    c->view.hex_mode = 1;
    append_text(c, "A\r\n\x01\x82\xA0z");
    c->view.row_table[0] = {0, 3};
    c->view.row_table[1] = {3, 4};
    c->view.last_row = 1;
    c->view.page_columns = 80;
    c->view.char_width = 8;
    c->view.line_height = 16;
    EXPECT_EQ(hit(3, 0).offset, 1);  // third cell of <0D>
    EXPECT_EQ(hit(4, 1).offset, 4);  // each half of the double-byte character
    EXPECT_EQ(hit(5, 1).offset, 5);
    EXPECT_EQ(hit(6, 1).offset, 6);  // on the last byte: no after mark
    EXPECT_EQ(hit(6, 1).after_mark, -1);
    ConsoleHit h = hit(9, 1);  // beyond the text: the last byte
    EXPECT_EQ(h.offset, 6);
    EXPECT_EQ(h.after_mark, 1);
    h = console_hit_test(c, 0, 20);  // left margin
    EXPECT_EQ(h.offset, 3);
    EXPECT_EQ(h.before_mark, 1);
    EXPECT_EQ(console_hit_test(c, 5, 0).before_mark, 0);  // top margin
    h = hit(2, 7);  // below the last row
    EXPECT_EQ(h.column, 80);
    EXPECT_EQ(h.after_mark, 1);
    EXPECT_EQ(h.offset, 6);
    c->view.hscroll_pos = 4;
    EXPECT_EQ(hit(0, 1).offset, 4);
    c->view.hex_mode = 0;
    c->view.hscroll_pos = 0;
    console_clear_buffer(c);
    append_text(c, "a\tb");
    EXPECT_EQ(hit(7, 0).offset, 1);  // the TAB's last cell
    c->view.row_table[0] = {-1, 0};
    EXPECT_EQ(hit(0, 0).offset, -1);
    c->view.char_width = 0;
    EXPECT_EQ(hit(0, 1).offset, -1);
}

}  // namespace
