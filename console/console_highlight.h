// Keyword highlighting: up to 16 compiled patterns, each with a background colour,
// and the ranges of a logical line they cover. Every occurrence on screen is drawn
// on its rule's background; a keyword cut by a wrap is one match over the whole
// logical line, so both of its rows show it. Portable. The rule set is the
// program's (the settings own it, and replace it only on the UI thread, which
// paints); the console points at it.
#pragma once
#include <cstdint>

#include "console/byte_match.h"
#include "console/console.h"

constexpr int HIGHLIGHT_RULE_MAX = 16;
// Ranges kept for one logical line: more matches than this on one line draw the
// first ones only (a line of thousands of one-byte keywords).
constexpr int HIGHLIGHT_RANGE_MAX = 512;

struct ConsoleHighlights {
    std::int32_t count;  // rules 0 .. count - 1 are in use (each with a pattern)
    BytePattern patterns[HIGHLIGHT_RULE_MAX];
    ColorRef colours[HIGHLIGHT_RULE_MAX];
};

// Highlighted bytes of one logical line: text offsets [start, end) drawn with rule
// `rule`, sorted by start, not overlapping: where matches overlap, the one that
// starts first keeps the bytes (at the same start, the earlier rule).
struct HighlightRange {
    std::uint32_t start, end;
    std::int32_t rule;
};
struct HighlightLine {
    std::uint32_t first, last;  // the logical line: text offsets [first, last)
    std::int32_t count;
    HighlightRange ranges[HIGHLIGHT_RANGE_MAX];
};

// The logical line holding line `line`: from the first line of its wrap chain to the
// end of the last.
void console_logical_line(const Console* console, std::uint32_t line, std::uint32_t* first, std::uint32_t* last);

// Fills out with the highlighted ranges of text [first, last). Nothing with no rules.
void console_highlight_line(const Console* console, const ConsoleHighlights* rules, std::uint32_t first,
                            std::uint32_t last, HighlightLine* out);
