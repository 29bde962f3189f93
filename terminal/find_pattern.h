// A pattern as the user writes it in the find window and the highlight rows: text in
// Shift-JIS (with or without case distinction) or hexadecimal bytes ("0D 0A",
// "0d0a", "\x0D\x0A"), compiled for the one byte matcher. Portable and pure; the
// caller owns the pattern record and words the outcome.
#pragma once
#include <cstddef>

#include "console/byte_match.h"

enum FindPatternResult {
    FIND_PATTERN_OK = 0,
    FIND_PATTERN_EMPTY = 1,       // nothing to find
    FIND_PATTERN_TOO_LONG = 2,    // more than BYTE_PATTERN_MAX bytes
    FIND_PATTERN_LONE_LEAD = 3,   // text ending in the lead byte of a double-byte character
    FIND_PATTERN_NOT_HEX = 4,     // a character that is no hexadecimal digit or separator
    FIND_PATTERN_ODD_DIGITS = 5,  // a group of digits that does not make whole bytes
};

// Compiles text[0, length). On failure the pattern is empty (it finds nothing).
int find_pattern_compile(BytePattern* pattern, const char* text, std::size_t length, bool hex, bool match_case);
