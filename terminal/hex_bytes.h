// Bytes written in hexadecimal by the user ("0D 0A", "0d0a", "\x0D\x0A",
// "0x02,0x41"), as the find window's hex mode, the highlight keywords, the send-bytes
// window and the sequences take them; and bytes written back out the same way for
// histories and results. Text with escapes is expand_escapes' (terminal/escapes.h).
// Portable and pure; the caller owns every buffer and words the messages.
#pragma once
#include <cstddef>

// The value of a hexadecimal digit (either case), or -1.
int hex_digit_value(char c);

enum HexBytesResult {
    HEX_BYTES_OK = 0,
    HEX_BYTES_EMPTY = 1,       // no digits at all (nothing, or separators only)
    HEX_BYTES_NOT_HEX = 2,     // a character that is neither a digit nor a separator
    HEX_BYTES_ODD_DIGITS = 3,  // a group of digits that does not make whole bytes
    HEX_BYTES_NO_DIGITS = 4,   // "0x" or "\x" with no digit after it
    HEX_BYTES_TOO_MANY = 5,    // more bytes than the output holds
};

// Parses text[0, length): groups of hexadecimal digits, two to a byte, separated by
// blanks, tabs, commas or line ends; a group may start with "0x" or "\x" (either
// case), and "\x" also starts a new group without a separator ("\x0D\x0A"). Writes
// at most capacity bytes to out and their count to *count. On failure returns the
// reason and sets *error_at to the offset in text of the character at fault: the
// first digit of an odd group, the prefix without digits, the character that is no
// hexadecimal, or the group whose byte did not fit; *count then holds the bytes
// written before it. A double-byte character is refused at its lead byte.
int hex_bytes_parse(const char* text, std::size_t length, unsigned char* out, std::size_t capacity,
                    std::size_t* count, std::size_t* error_at);

// The bytes as "02 41 03": upper-case pairs separated by one blank. Writes whole
// pairs only, as many as fit in size bytes with the terminator (3 per byte is always
// enough), and returns the length written.
std::size_t hex_bytes_format(const unsigned char* bytes, std::size_t count, char* out, std::size_t size);
