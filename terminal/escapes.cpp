// The escape expansion of line input and function-key strings: \0 \\ \a \b \f \n \r
// \t \v and \xHH, anything else kept as written. A Shift-JIS double-byte character is
// copied whole: its trail byte may be 0x5C (表, ソ, 能 ...), and that is no backslash.
// Portable and pure; whichever thread sends the text calls it, and the caller owns
// both buffers.
#include "terminal/escapes.h"

#include "base/double_byte.h"

// The value of a hexadecimal digit, or -1.
static int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte a one-letter escape stands for, or -1 when the letter is no escape.
static int simple_escape(char c)
{
    switch (c) {
    case '0': return 0x00;
    case '\\': return 0x5C;
    case 'a': return 0x07;
    case 'b': return 0x08;
    case 'f': return 0x0C;
    case 'n': return 0x0A;
    case 'r': return 0x0D;
    case 't': return 0x09;
    case 'v': return 0x0B;
    default: return -1;
    }
}

int expand_escapes(unsigned char* output, const char* text, int limit)
{
    enum { PLAIN, BACKSLASH, HEX_NONE, HEX_ONE } state = PLAIN;
    int n = 0, value = 0;
    for (const char* p = text; p && *p && n < limit; ++p) {
        const char c = *p;
        const bool whole = is_double_byte(static_cast<unsigned char>(c), static_cast<unsigned char>(p[1]));
        if (state == HEX_ONE || state == HEX_NONE) {
            const int digit = hex_digit(c);
            if (digit >= 0) {
                if (state == HEX_NONE) {
                    value = digit;
                    state = HEX_ONE;
                } else {
                    output[n++] = static_cast<unsigned char>(value * 16 + digit);
                    state = PLAIN;
                }
                continue;
            }
            // A non-digit ends the escape early and is then taken as usual.
            if (state == HEX_ONE) {
                output[n++] = static_cast<unsigned char>(value);
            } else {
                output[n++] = '\\';
                output[n++] = 'x';
            }
            state = PLAIN;
        } else if (state == BACKSLASH) {
            state = PLAIN;
            if (c == 'x') {
                state = HEX_NONE;
                continue;
            }
            if (simple_escape(c) >= 0) {
                output[n++] = static_cast<unsigned char>(simple_escape(c));
                continue;
            }
            // No escape: the backslash stays, and the character after it is taken
            // as usual (whole, when it is a double-byte one).
            output[n++] = '\\';
        }
        if (whole) {
            // A character is written whole: with a cut-short escape before it, at
            // most four bytes pass the limit, which the caller's buffer allows for.
            output[n++] = static_cast<unsigned char>(c);
            output[n++] = static_cast<unsigned char>(*++p);
        } else if (c == '\\') {
            state = BACKSLASH;
        } else {
            output[n++] = static_cast<unsigned char>(c);
        }
    }
    // Whatever escape the text or the limit cut short is written as far as it got.
    if (state == BACKSLASH) {
        output[n++] = '\\';
    } else if (state == HEX_NONE) {
        output[n++] = '\\';
        output[n++] = 'x';
    } else if (state == HEX_ONE) {
        output[n++] = static_cast<unsigned char>(value);
    }
    return n;
}
