// Bytes typed in hexadecimal, every refusal with the place it points at, and the
// bytes written back; the escapes' report of backslashes kept as written, and their
// reverse for showing received bytes.
#include <gtest/gtest.h>

#include <string>

#include "terminal/escapes.h"
#include "terminal/hex_bytes.h"

namespace {

TEST(HexBytes, ParsesWhatUsersWriteAndPointsAtWhatIsWrong)
{
    struct Case {
        const char* text;
        int result;
        std::string bytes;  // parsed (before the fault, for a refusal)
        size_t error_at;
    } const cases[] = {
        {"0D 0A", HEX_BYTES_OK, "\r\n", 0},
        {"0d0a", HEX_BYTES_OK, "\r\n", 0},
        {"\\x0D\\x0A", HEX_BYTES_OK, "\r\n", 0},
        {"0x02,0x41", HEX_BYTES_OK, "\x02\x41", 0},
        {" 02\t41 ,42\r\n03 ", HEX_BYTES_OK, "\x02\x41\x42\x03", 0},
        {"0X0a\\X0B", HEX_BYTES_OK, "\n\x0b", 0},
        {" , \t", HEX_BYTES_EMPTY, "", 0},
        {"02 4 03", HEX_BYTES_ODD_DIGITS, "\x02", 3},
        {"02 4G", HEX_BYTES_NOT_HEX, "\x02", 4},
        {"41 \x82\x60", HEX_BYTES_NOT_HEX, "A", 3},  // a double-byte character, at its lead byte
        {"41 0x", HEX_BYTES_NO_DIGITS, "A", 3},
        {"\\x\\x41", HEX_BYTES_NO_DIGITS, "", 0},
        {"00x12", HEX_BYTES_NOT_HEX, "", 2},  // "0x" prefixes a group, it does not end one
        {"01 02 03 04 05", HEX_BYTES_TOO_MANY, "\x01\x02\x03\x04", 12},
    };
    for (const Case& c : cases) {
        unsigned char out[4];
        size_t count = 99, at = 0;
        const std::string text = c.text;
        EXPECT_EQ(hex_bytes_parse(text.data(), text.size(), out, sizeof out, &count, &at), c.result)
            << c.text;
        EXPECT_EQ(std::string(out, out + count), c.bytes) << c.text;
        EXPECT_EQ(at, c.error_at) << c.text;
    }
    char formatted[9];
    EXPECT_EQ(hex_bytes_format(reinterpret_cast<const unsigned char*>("\x02\x41\xff"), 3, formatted, 8), 5u);
    EXPECT_STREQ(formatted, "02 41");  // whole pairs that fit with the terminator
}

TEST(Escapes, ReportsBackslashesKeptAndFormatsBytesBack)
{
    unsigned char out[64];
    int kept = 99;
    for (const char* text : {"a\\r\\x41\\\\", "\x95\x5cn\\x4"}) {
        expand_escapes_checked(out, text, 60, &kept);
        EXPECT_EQ(kept, -1) << text;
    }
    const char* kept_at_2[] = {"ab\\q\\r", "\\r\\", "\\r\\x", "\\r\\x\\n"};
    for (const char* text : kept_at_2) {
        expand_escapes_checked(out, text, 60, &kept);
        EXPECT_EQ(kept, 2) << text;
    }
    // Shown: printable as it is, the rest escaped, characters whole; and back again.
    const std::string bytes("OK\r\n\t\\\x00\x7f\xa0\xb1\x95\x5c\x82", 13);
    char text[64];
    const int n = format_escapes(text, sizeof text, reinterpret_cast<const unsigned char*>(bytes.data()), 13);
    EXPECT_EQ(std::string(text, n), "OK\\r\\n\\t\\\\\\x00\\x7F\\xA0\xb1\x95\x5c\\x82");
    EXPECT_EQ(std::string(out, out + expand_escapes(out, text, 60)), bytes);
    EXPECT_EQ(format_escapes(text, 8, reinterpret_cast<const unsigned char*>("\x95\x5c\x95\x5c\x01"), 5), 4);
}

}  // namespace
