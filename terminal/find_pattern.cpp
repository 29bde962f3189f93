// Compiling what the user wrote for find and highlighting; see find_pattern.h.
// Portable and pure.
#include "terminal/find_pattern.h"

#include "terminal/hex_bytes.h"

int find_pattern_compile(BytePattern* pattern, const char* text, std::size_t length, bool hex, bool match_case)
{
    pattern->length = 0;
    if (!text) length = 0;
    if (hex) {
        unsigned char bytes[BYTE_PATTERN_MAX];
        std::size_t count = 0, error_at = 0;
        switch (hex_bytes_parse(text, length, bytes, sizeof bytes, &count, &error_at)) {
        case HEX_BYTES_OK: break;
        case HEX_BYTES_EMPTY: return FIND_PATTERN_EMPTY;
        case HEX_BYTES_ODD_DIGITS: return FIND_PATTERN_ODD_DIGITS;
        case HEX_BYTES_TOO_MANY: return FIND_PATTERN_TOO_LONG;
        default: return FIND_PATTERN_NOT_HEX;
        }
        byte_match_compile_bytes(pattern, bytes, count);
        return FIND_PATTERN_OK;
    }
    switch (byte_match_compile_text(pattern, text, length, match_case)) {
    case BYTE_MATCH_OK: return FIND_PATTERN_OK;
    case BYTE_MATCH_TOO_LONG: return FIND_PATTERN_TOO_LONG;
    case BYTE_MATCH_INCOMPLETE: return FIND_PATTERN_LONE_LEAD;
    default: return FIND_PATTERN_EMPTY;
    }
}
