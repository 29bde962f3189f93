// The escape expansion of line input and function-key strings: \0 \\ \a \b \f \n \r
// \t \v and \xHH, anything else kept as written; and its reverse for showing bytes.
// A Shift-JIS double-byte character is copied whole: its trail byte may be 0x5C (表,
// ソ, 能 ...), and that is no backslash. Portable and pure; whichever thread sends the
// text calls it, and the caller owns both buffers.
#include "terminal/escapes.h"

#include "base/double_byte.h"
#include "terminal/hex_bytes.h"

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
    return expand_escapes_checked(output, text, limit, nullptr);
}

int expand_escapes_checked(unsigned char* output, const char* text, int limit, int* kept_at)
{
    enum { PLAIN, BACKSLASH, HEX_NONE, HEX_ONE } state = PLAIN;
    int n = 0, value = 0;
    const char* escape = nullptr;  // the backslash of the escape under way
    const char* kept = nullptr;    // the first backslash kept as written
    for (const char* p = text; p && *p && n < limit; ++p) {
        const char c = *p;
        const bool whole = is_double_byte(static_cast<unsigned char>(c), static_cast<unsigned char>(p[1]));
        if (state == HEX_ONE || state == HEX_NONE) {
            const int digit = hex_digit_value(c);
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
                if (!kept) kept = escape;
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
            if (!kept) kept = escape;
        }
        if (whole) {
            // A character is written whole: with a cut-short escape before it, at
            // most four bytes pass the limit, which the caller's buffer allows for.
            output[n++] = static_cast<unsigned char>(c);
            output[n++] = static_cast<unsigned char>(*++p);
        } else if (c == '\\') {
            state = BACKSLASH;
            escape = p;
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
    if ((state == BACKSLASH || state == HEX_NONE) && !kept) kept = escape;
    if (kept_at) *kept_at = kept ? static_cast<int>(kept - text) : -1;
    return n;
}

int format_escapes(char* out, int size, const unsigned char* bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    if (!out || size <= 0) return 0;
    int n = 0;
    for (int i = 0, step = 1; bytes && i < count; i += step) {
        char piece[4];
        int length = 0;
        const unsigned char c = bytes[i];
        step = i + 1 < count && is_double_byte(c, bytes[i + 1]) ? 2 : 1;
        if (step == 2) {
            piece[length++] = static_cast<char>(c);
            piece[length++] = static_cast<char>(bytes[i + 1]);
        } else if (c == '\\' || c == '\r' || c == '\n' || c == '\t') {
            piece[length++] = '\\';
            piece[length++] = c == '\\' ? '\\' : c == '\r' ? 'r' : c == '\n' ? 'n' : 't';
        } else if ((c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xDF)) {
            piece[length++] = static_cast<char>(c);  // ASCII or a half-width katakana
        } else {
            piece[length++] = '\\';
            piece[length++] = 'x';
            piece[length++] = digits[c >> 4];
            piece[length++] = digits[c & 15];
        }
        if (n + length + 1 > size) break;
        for (int k = 0; k < length; ++k) out[n++] = piece[k];
    }
    out[n] = '\0';
    return n;
}
