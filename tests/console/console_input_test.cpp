// The LINE input line: the 256-byte limit, backspace and Delete on double-byte
// characters, cursor moves that skip trail bytes, and the trail-byte rule.
#include <gtest/gtest.h>

#include <string>

#include "tests/console/console_invariants.h"

namespace {

struct LineInput : ::testing::Test {
    Console* c = make_test_console(65536, 80);
    int redraws = 0;
    int caret_moves = 0;
    ConsoleViewHooks view{};
    static LineInput* self;
    void SetUp() override
    {
        self = this;
        view.invalidate = [](Console*) { ++self->redraws; };
        view.input_caret_moved = [](Console*) { ++self->caret_moves; };
        c->hooks = &view;
    }
    void TearDown() override
    {
        EXPECT_EQ(console_invariant_fault(c), "");
        free_test_console(c);
    }
    int insert(const std::string& s, int at_cursor = 1)
    {
        return console_input_insert(c, s.data(), static_cast<int>(s.size()), at_cursor);
    }
    std::string text() const { return std::string(console_input_text(c), console_input_length(c)); }
};
LineInput* LineInput::self = nullptr;

TEST_F(LineInput, InsertStopsAtTheLimit)
{
    EXPECT_EQ(insert(std::string(300, 'a')), 256);
    EXPECT_EQ(console_input_length(c), 256);
    EXPECT_EQ(c->input.input_cursor, 256);
    EXPECT_EQ(insert("b"), 0);
    EXPECT_EQ(text(), std::string(256, 'a'));
}

// An insertion that does not fit whole stops before the character it would cut.
TEST_F(LineInput, InsertNeverKeepsHalfACharacter)
{
    const std::string nihongo = "\x93\xfa\x96\x7b\x8c\xea";  // 日本語
    insert(std::string(255, 'a'));
    EXPECT_EQ(insert(nihongo.substr(0, 2)), 0);
    EXPECT_EQ(text(), std::string(255, 'a'));
    console_input_reset(c);
    insert(std::string(251, 'a'));
    EXPECT_EQ(insert(nihongo), 4);
    EXPECT_EQ(text(), std::string(251, 'a') + nihongo.substr(0, 4));
    // A single-byte character still fills the last byte.
    EXPECT_EQ(insert("z"), 1);
    EXPECT_EQ(console_input_length(c), 256);
}

TEST_F(LineInput, InsertAtTheCursorOrAtTheEnd)
{
    insert("ace");
    console_input_move_cursor(c, -1);
    console_input_move_cursor(c, -1);
    EXPECT_EQ(insert("b"), 1);
    EXPECT_EQ(text(), "abce");
    EXPECT_EQ(c->input.input_cursor, 2);
    EXPECT_EQ(insert("\r\n", 0), 2);
    EXPECT_EQ(text(), "abce\r\n");
    EXPECT_EQ(c->input.input_cursor, 6);
    EXPECT_GT(redraws, 0);
}

TEST_F(LineInput, BackspaceRemovesWholeCharacters)
{
    EXPECT_EQ(insert("\x08"), 1);  // at cursor 0: nothing
    EXPECT_EQ(text(), "");
    insert("a\x82\xa0");
    EXPECT_EQ(insert("\x08"), 1);
    EXPECT_EQ(text(), "a");
    EXPECT_EQ(c->input.input_cursor, 1);
    insert("\x88\x9f" "b");
    console_input_move_cursor(c, -1);  // before "b"
    insert("\x08");
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(c->input.input_cursor, 1);
    // A BS among other bytes is stored as it is.
    EXPECT_EQ(insert("\x08x"), 2);
    EXPECT_EQ(text(), "a\x08xb");
}

TEST_F(LineInput, DeleteRemovesWholeCharacters)
{
    insert("\x82\xa0z");
    console_input_delete(c);  // at the end: nothing
    EXPECT_EQ(text(), "\x82\xa0z");
    console_input_move_cursor(c, -1);
    console_input_move_cursor(c, -1);
    EXPECT_EQ(c->input.input_cursor, 0);
    console_input_delete(c);
    EXPECT_EQ(text(), "z");
    console_input_delete(c);
    EXPECT_EQ(text(), "");
    // A lead byte as the last byte is deleted alone.
    insert("\x82");
    console_input_move_cursor(c, -1);
    console_input_delete(c);
    EXPECT_EQ(text(), "");
}

TEST_F(LineInput, CursorSkipsTrailBytes)
{
    insert("a\x82\xa0" "b");
    console_input_move_cursor(c, -1);
    EXPECT_EQ(c->input.input_cursor, 3);
    console_input_move_cursor(c, -1);  // lands on the lead byte
    EXPECT_EQ(c->input.input_cursor, 1);
    console_input_move_cursor(c, 1);
    EXPECT_EQ(c->input.input_cursor, 3);
    console_input_move_cursor(c, 1);
    EXPECT_EQ(c->input.input_cursor, 4);
    int moves = caret_moves;
    console_input_move_cursor(c, 1);  // at the end: nothing
    EXPECT_EQ(c->input.input_cursor, 4);
    EXPECT_EQ(caret_moves, moves);
    console_input_move_cursor(c, 5);  // not a step
    EXPECT_EQ(c->input.input_cursor, 4);
}

TEST_F(LineInput, TrailByteRuleScansFromTheStart)
{
    // "\x82\x82\xa0": the second 0x82 is the trail of the first, so 0xa0 stands
    // alone; only position 1 is a trail byte.
    insert("\x82\x82\xa0");
    EXPECT_TRUE(console_input_on_trail_byte(c, 1));
    EXPECT_FALSE(console_input_on_trail_byte(c, 2));
    EXPECT_FALSE(console_input_on_trail_byte(c, 0));
    EXPECT_FALSE(console_input_on_trail_byte(c, 3));
}

TEST_F(LineInput, ResetEmptiesTheLine)
{
    insert("hello");
    console_input_reset(c);
    EXPECT_EQ(console_input_length(c), 0);
    EXPECT_EQ(c->input.input_cursor, 0);
    EXPECT_EQ(c->input.input_text[4], 0);
}

TEST(LineInputMissing, NoConsoleIsANoOp)
{
    EXPECT_EQ(console_input_insert(nullptr, "a", 1, 1), 0);
    EXPECT_EQ(console_input_length(nullptr), 0);
    EXPECT_EQ(console_input_text(nullptr), nullptr);
    console_input_delete(nullptr);
    console_input_move_cursor(nullptr, 1);
    console_input_reset(nullptr);
}

}  // namespace
