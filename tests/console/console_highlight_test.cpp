// Keyword highlighting as a paint lays it out: which cells of which rows take a
// rule's class, a keyword cut by the wrap on both rows, overlaps, selection over
// highlight, rows the settings could not have made drawing nothing.
#include "console/console_highlight.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_layout.h"
#include "terminal/highlight_settings.h"
#include "tests/console/console_invariants.h"

namespace {

struct Rule {
    const char* keyword;
    std::int32_t flags;
};

struct HighlightCase {
    const char* name;
    std::string text;
    std::int32_t column;
    std::vector<Rule> rules;
    std::vector<std::string> rows;  // each row's classes: 0 normal, 2 selected, 3 + k rule k
    std::int32_t lo = -1, hi = -1;  // selection
};

// The classes of every visible row, as console_paint_rows lays them out.
std::vector<std::string> painted_classes(Console* c)
{
    struct Sink {
        std::vector<std::string> rows;
        int y = -1;
        static void run(void* context, std::int32_t, std::int32_t y, const char*, std::int32_t count, int cls)
        {
            Sink* s = static_cast<Sink*>(context);
            if (y != s->y) s->rows.emplace_back(), s->y = y;
            s->rows.back() += std::string(static_cast<std::size_t>(count), static_cast<char>('0' + cls));
        }
        static void fill(void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
    } sink;
    const ConsolePaintSink paint = {&sink, Sink::run, Sink::fill, nullptr};
    EXPECT_TRUE(console_paint_rows(c, 4 + 80 * 8, 2 + 10 * 16, &paint));
    return sink.rows;
}

TEST(ConsoleHighlight, CellsOfEachRule)
{
    const std::vector<HighlightCase> cases = {
        {"text without case", "an ERROR, an error\r\n", 80, {{"error", 0}}, {"00033333000003333300"}},
        {"with case", "ERROR error\r\n", 80, {{"error", HIGHLIGHT_MATCH_CASE}}, {"0000003333300"}},
        {"hex bytes", "a\x02" "b\r\n", 80, {{"02", HIGHLIGHT_HEX}}, {"03000"}},
        // 受信 cut by the wrap after four bytes: both rows show their half.
        {"across the wrap", "ab\x8e\xf3\x90\x4dxy\r\n", 4, {{"\x8e\xf3\x90\x4d", 0}}, {"0033", "3300", "00"}},
        {"first rule wins at the same start", "OKAY\r\n", 80, {{"OK", 0}, {"OKAY", 0}}, {"334400"}},
        {"earlier start wins an overlap", "abcd\r\n", 80, {{"cd", 0}, {"abc", 0}}, {"444300"}},
        {"trail byte is no keyword", "\x95\x5c\\\r\n", 80, {{"\\", 0}}, {"00300"}},
        {"bad rows draw nothing", "0D\r\n", 80, {{"0", HIGHLIGHT_HEX}, {"\x82", 0}}, {"0000"}},
        {"selection over highlight", "error\r\n", 80, {{"error", 0}}, {"2233300"}, 0, 1},
    };
    for (const HighlightCase& k : cases) {
        SCOPED_TRACE(k.name);
        Console* c = make_test_console(4096, k.column);
        c->view.char_width = 8;
        c->view.line_height = 16;
        append_text(c, k.text);
        HighlightRow rows[HIGHLIGHT_RULE_MAX];
        highlight_rows_defaults(rows);
        for (std::size_t i = 0; i < k.rules.size(); ++i)
            highlight_row_take(&rows[i], k.rules[i].keyword, 0x00FF00, k.rules[i].flags);
        static ConsoleHighlights rules;
        c->view.highlights = highlight_rows_compile(rows, &rules);
        if (k.lo >= 0) {
            c->selection.selection_state = 3;
            c->selection.sel_anchor.offset = k.lo;
            c->selection.sel_end.offset = k.hi;
        }
        std::vector<std::string> painted = painted_classes(c);
        painted.resize(k.rows.size());
        EXPECT_EQ(painted, k.rows);
        free_test_console(c);
    }
}

}  // namespace
