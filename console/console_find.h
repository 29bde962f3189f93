// Find in the scrollback: the next or previous match of a compiled pattern
// (console/byte_match.h) in the console's bytes, taken as the selection and scrolled
// into view, the search going round the ends of the text. Portable. The window's
// thread runs it holding console_mutex, so that no append moves the text meanwhile.
//
// Where a find goes on from is kept as a byte number (console_first_byte_number),
// which stays valid while lines are discarded from the front: a find next after the
// previous match was discarded starts at the front of what is left.
#pragma once
#include <cstdint>

#include "console/byte_match.h"
#include "console/console.h"

enum ConsoleFindResult {
    FIND_FOUND = 0,
    FIND_WRAPPED = 1,    // found after going round the end (or the front, backward)
    FIND_NOT_FOUND = 2,
};

struct ConsoleFindMatch {
    std::int32_t result;   // ConsoleFindResult
    std::uint32_t offset;  // text offset of the match (when found)
    std::uint32_t length;
};

// Finds the next (or, backward, the previous) match. It goes on from the selection
// when there is one, else from the last match found in this console, else from the
// first line shown (backward: the end of the last line shown). A match becomes the
// selection (state 3) and is scrolled into view.
ConsoleFindMatch console_find(Console* console, const BytePattern* pattern, bool backward);

// The line that holds text offset `offset` (the last line for offsets past the text).
std::uint32_t console_line_of_offset(const Console* console, std::uint32_t offset);

// Brings bytes [offset, offset + length) of the text into view: the line they start
// on among the full rows (centred when it was out of view), and their columns among
// the full columns.
void console_scroll_into_view(Console* console, std::uint32_t offset, std::uint32_t length);
