// The highlight rows of the terminal settings: up to 16 keywords, each text or
// hexadecimal (as find takes them), with or without case distinction, and a
// background colour; stored in section "console highlight" as "keyword %d",
// "colour %d" and "flags %d" (1 to 16). Compiled once for every console to draw.
// Portable; the UI thread reads, edits and compiles them.
#pragma once
#include <cstdint>

#include "console/console.h"
#include "console/console_highlight.h"

constexpr int HIGHLIGHT_KEYWORD_TEXT = 257;  // at most 256 bytes and the NUL
constexpr std::int32_t HIGHLIGHT_MATCH_CASE = 1;
constexpr std::int32_t HIGHLIGHT_HEX = 2;
constexpr ColorRef HIGHLIGHT_DEFAULT_COLOUR = 0x0000FFFF;  // yellow

struct HighlightRow {
    char keyword[HIGHLIGHT_KEYWORD_TEXT];  // empty: the row is not used
    ColorRef colour;
    std::int32_t flags;  // HIGHLIGHT_MATCH_CASE, HIGHLIGHT_HEX; other bits kept as stored
};

extern const char HIGHLIGHT_SECTION[];
// "keyword %d", "colour %d", "flags %d" of row index (0 to 15) as the file numbers
// them (1 to 16). out holds 32 bytes.
void highlight_key(const char* name, int index, char* out);

// Every row empty, the colours at the default.
void highlight_rows_defaults(HighlightRow* rows);
// A stored row as the program can use it: a keyword longer than the field is no
// keyword (the row is empty), a colour with anything in its top byte the default.
void highlight_row_take(HighlightRow* row, const char* stored_keyword, std::int64_t colour, std::int32_t flags);

// Compiles the used rows in order into rules; rows whose keyword does not compile
// (odd hexadecimal, a lone lead byte) draw nothing. Returns rules, or null when no
// row draws anything.
const ConsoleHighlights* highlight_rows_compile(const HighlightRow* rows, ConsoleHighlights* rules);
