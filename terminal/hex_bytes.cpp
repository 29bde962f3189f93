// Hexadecimal bytes typed by the user, and bytes written out as hexadecimal. One
// pass over the text with no allocation, so a field of a megabyte costs a
// megabyte's reading. Portable and pure; the caller owns the buffers.
#include "terminal/hex_bytes.h"

int hex_digit_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

namespace {

bool is_separator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

// Whether text[i, length) starts with a group prefix: "0x" only where a group may
// start, "\x" anywhere.
std::size_t prefix_at(const char* text, std::size_t length, std::size_t i, bool group_start)
{
    if (i + 1 >= length || (text[i + 1] != 'x' && text[i + 1] != 'X')) return 0;
    return text[i] == '\\' || (group_start && text[i] == '0') ? 2 : 0;
}

}  // namespace

int hex_bytes_parse(const char* text, std::size_t length, unsigned char* out, std::size_t capacity,
                    std::size_t* count, std::size_t* error_at)
{
    std::size_t written = 0, fault = 0;
    int result = HEX_BYTES_OK;
    std::size_t i = 0;
    while (text && i < length && result == HEX_BYTES_OK) {
        if (is_separator(text[i])) {
            ++i;
            continue;
        }
        // One group: an optional prefix, then digits up to a separator, a "\x" or the end.
        const std::size_t start = i;
        i += prefix_at(text, length, i, true);
        const std::size_t digits = i;
        while (i < length && hex_digit_value(text[i]) >= 0)
            ++i;
        if (i < length && !is_separator(text[i]) && !prefix_at(text, length, i, false)) {
            result = HEX_BYTES_NOT_HEX;
            fault = i;
        } else if (i == digits) {
            result = HEX_BYTES_NO_DIGITS;
            fault = start;
        } else if ((i - digits) % 2 != 0) {
            result = HEX_BYTES_ODD_DIGITS;
            fault = digits;
        } else if ((i - digits) / 2 > capacity - written) {
            result = HEX_BYTES_TOO_MANY;
            fault = start;
        } else {
            for (std::size_t d = digits; d < i; d += 2)
                out[written++] =
                    static_cast<unsigned char>(hex_digit_value(text[d]) * 16 + hex_digit_value(text[d + 1]));
        }
    }
    if (result == HEX_BYTES_OK && written == 0) result = HEX_BYTES_EMPTY;
    if (count) *count = written;
    if (error_at) *error_at = fault;
    return result;
}

std::size_t hex_bytes_format(const unsigned char* bytes, std::size_t count, char* out, std::size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    if (!out || size == 0) return 0;
    std::size_t n = 0;
    for (std::size_t i = 0; bytes && i < count; ++i) {
        const std::size_t need = i == 0 ? 2 : 3;
        if (n + need + 1 > size) break;
        if (i > 0) out[n++] = ' ';
        out[n++] = digits[bytes[i] >> 4];
        out[n++] = digits[bytes[i] & 15];
    }
    out[n] = '\0';
    return n;
}
