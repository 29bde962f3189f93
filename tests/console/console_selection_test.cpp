// Selecting with the mouse over a laid-out console (one cell per byte), select all,
// and the byte conversions of copy and paste.
#include "console/console_selection.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/console/console_invariants.h"

namespace {

struct Selection : ::testing::Test {
    Console* c = make_test_console(4096, 80);
    void TearDown() override
    {
        EXPECT_EQ(console_invariant_fault(c), "");
        free_test_console(c);
    }
    // Stores the text and the visible rows as the last paint would have left them.
    void show(const std::string& text, std::initializer_list<ConsoleRow> rows)
    {
        append_text(c, text);
        int i = 0;
        for (ConsoleRow r : rows) c->view.row_table[i++] = r;
        c->view.last_row = i - 1;
        c->view.page_columns = 80;
        c->view.char_width = 8;
        c->view.line_height = 16;
    }
    bool press(int col, int row) { return console_selection_press(c, 4 + col * 8, 2 + row * 16); }
    bool move(int col, int row) { return console_selection_move(c, 4 + col * 8, 2 + row * 16); }
    std::pair<int, int> range() const
    {
        SelectionRange r = console_selection_range(c);
        return {r.lo, r.hi};
    }
    std::string copied() const
    {
        std::string s(console_selection_copy_length(c) + 1, '?');
        console_selection_copy_text(c, &s[0]);
        EXPECT_EQ(s.back(), '\0');
        s.pop_back();
        return s;
    }
};

TEST_F(Selection, ClickWithoutDragSelectsNothing)
{
    show("abcdef", {{0, 6}});
    EXPECT_TRUE(press(2, 0));
    EXPECT_EQ(c->selection.selection_state, 1);
    EXPECT_EQ(c->selection.sel_anchor.offset, 2);
    EXPECT_EQ(range(), std::make_pair(-1, -1));  // nothing shown yet
    console_selection_release(c);
    EXPECT_EQ(c->selection.selection_state, 0);
    EXPECT_EQ(console_selection_copy_length(c), 0u);
}

TEST_F(Selection, DragOverDoubleByteCharactersTakesThemWhole)
{
    show("a\x82\xa0" "b\x82\xa2" "c", {{0, 7}});  // lead bytes at 1 and 4
    for (bool forward : {true, false}) {
        press(forward ? 2 : 4, 0);  // the trail of one, the lead of the other
        EXPECT_TRUE(move(forward ? 4 : 2, 0));
        EXPECT_EQ(range(), std::make_pair(1, 5));
        EXPECT_EQ(console_selection_copy_length(c), 0u);  // shown, but not complete
        console_selection_release(c);
        EXPECT_EQ(copied(), "\x82\xa0" "b\x82\xa2");
    }
}

TEST_F(Selection, AdjustmentPairsBytesFromTheRowStart)
{
    // 82 82 is one character, and the A0 after it stands alone although 82 A0 would pair.
    show("\x82\x82\xa0x", {{0, 4}});
    press(2, 0);
    move(3, 0);
    EXPECT_EQ(range(), std::make_pair(2, 3));
    press(0, 0);
    move(1, 0);
    EXPECT_EQ(range(), std::make_pair(0, 1));
    // A lead byte that ends its row has no trail within it.
    c->view.row_table[0] = {0, 2};
    move(1, 0);
    EXPECT_EQ(range(), std::make_pair(0, 1));
}

TEST_F(Selection, DragBesideTheTextRestartsUntilItEntersTheText)
{
    show("abcdefgh", {{0, 5}, {5, 3}});
    press(7, 1);  // right of "fgh": anchored on its last byte
    for (int col : {9, 4, 20}) {
        EXPECT_TRUE(move(col, 1));
        EXPECT_EQ(c->selection.selection_state, 1);
        EXPECT_EQ(c->selection.sel_anchor.offset, 7);
    }
    move(1, 1);
    EXPECT_EQ(range(), std::make_pair(6, 7));
    console_selection_release(c);
    EXPECT_EQ(copied(), "gh");
    // The left margin likewise, until the pointer reaches another row.
    press(-1, 1);
    move(-1, 1);
    EXPECT_EQ(c->selection.selection_state, 1);
    move(-1, 0);
    EXPECT_EQ(range(), std::make_pair(0, 5));
}

TEST_F(Selection, PressOffTheTextEmptiesTheSelection)
{
    show("abc", {{0, 3}, {-1, 0}});
    EXPECT_TRUE(console_selection_select_all(c));
    EXPECT_FALSE(move(1, 0));  // a complete selection does not follow the pointer
    EXPECT_EQ(range(), std::make_pair(0, 2));
    EXPECT_TRUE(press(0, 1));  // a row without text
    EXPECT_EQ(c->selection.selection_state, 0);
    EXPECT_EQ(c->selection.sel_end.offset, 0);
    EXPECT_FALSE(press(0, 1));  // nothing to repaint
}

TEST_F(Selection, SelectAllAndCopy)
{
    EXPECT_FALSE(console_selection_select_all(c));
    EXPECT_EQ(c->selection.selection_state, 0);
    append_text(c, std::string("a\0b\r\nc", 6));
    EXPECT_TRUE(console_selection_select_all(c));
    EXPECT_EQ(console_selection_copy_length(c), 6u);
    EXPECT_EQ(copied(), "a b\r\nc");  // line ends as stored, NUL as a space
}

TEST(PasteConvert, LineEndsBecomeTheModesLineEnd)
{
    struct {
        const char* in;
        int mode;
        const char* out;
    } cases[] = {
        {"a\nb", 2, "a\r\nb"}, {"a\r\nb", 2, "a\r\nb"}, {"a\r\nb", 0, "a\rb"},
        {"a\r\nb", 1, "a\nb"}, {"a\n\rb", 1, "a\nb"},   {"a\r\rb", 2, "a\r\n\r\nb"},
        {"\r\n\r", 0, "\r\r"}, {"\n\n\n", 5, "\r\n\r\n\r\n"}, {"\x82\xa0", 2, "\x82\xa0"},
        {"", 2, ""},
    };
    for (const auto& t : cases) {
        std::string in = t.in;
        std::vector<char> out(2 * in.size() + 1);  // exactly what the caller provides
        std::uint32_t n = console_paste_convert(in.c_str(), t.mode, out.data());
        EXPECT_EQ(std::string(out.data(), n), t.out) << "mode " << t.mode << " of " << testing::PrintToString(in);
        EXPECT_EQ(out[n], '\0');
    }
}

}  // namespace
