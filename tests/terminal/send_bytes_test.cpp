// The send-bytes window's fields read into what it sends, every refusal, and its
// drop-down of the last twenty entries.
#include <gtest/gtest.h>

#include <string>

#include "terminal/send_bytes.h"

namespace {

TEST(SendBytes, ReadsTheFieldsOrSaysWhyNothingIsSent)
{
    const std::string longest(SEND_BYTES_TEXT_MAX, 'A');
    const std::string too_long(SEND_BYTES_TEXT_MAX + 1, 'A');
    struct Case {
        const char* text;
        bool hex;
        const char* repeat;
        const char* interval;
        int result;
        std::string bytes;
    } const cases[] = {
        {"02 41 42 03", true, "1", "0", SEND_BYTES_OK,
         "\x02"
         "AB\x03"},
        {"AT\\r\\x00", false, "3", "100", SEND_BYTES_OK, std::string("AT\r\0", 4)},
        {"02 41", false, "1", "0", SEND_BYTES_OK, "02 41"}, // text is text
        {"\\q", false, "1", "0", SEND_BYTES_OK, "\\q"},     // an unknown escape kept
        {longest.c_str(), false, "1", "0", SEND_BYTES_OK, longest},
        {"", true, "1", "0", SEND_BYTES_EMPTY, ""},
        {" , ", true, "1", "0", SEND_BYTES_EMPTY, ""},
        {too_long.c_str(), false, "1", "0", SEND_BYTES_TOO_LONG, ""},
        {"02 4", true, "1", "0", SEND_BYTES_ODD_DIGITS, ""},
        {"AT", true, "1", "0", SEND_BYTES_NOT_HEX, ""},
        {"41", true, "0", "0", SEND_BYTES_BAD_REPEAT, ""},
        {"41", true, "1000001", "0", SEND_BYTES_BAD_REPEAT, ""},
        {"41", true, "99999999999999999999", "0", SEND_BYTES_BAD_REPEAT, ""},
        {"41", true, "-1", "0", SEND_BYTES_BAD_REPEAT, ""},
        {"41", true, "1", "60001", SEND_BYTES_BAD_INTERVAL, ""},
        {"41", true, "1", "1 0", SEND_BYTES_BAD_INTERVAL, ""},
    };
    for (const Case& c : cases) {
        SendBytesRequest request;
        request.bytes.assign(3, 'x');
        int result = send_bytes_read(SendBytesFields{c.text, c.hex, c.repeat, c.interval}, &request);
        const std::string label = std::string(c.text).substr(0, 20) + " / " + c.repeat + " / " + c.interval;
        EXPECT_EQ(result, c.result) << label;
        EXPECT_EQ(std::string(request.bytes.begin(), request.bytes.end()), c.bytes) << label;
        EXPECT_EQ(*send_bytes_message(result) == '\0', result == SEND_BYTES_OK) << label;
    }
    SendBytesRequest request;
    ASSERT_EQ(send_bytes_read(SendBytesFields{"41", true, "1000000", "60000"}, &request), SEND_BYTES_OK);
    EXPECT_EQ(request.repeat, 1000000);
    EXPECT_EQ(request.interval_ms, 60000u);
}

// Sent again, an entry moves up rather than showing twice; the same text read the
// other way is another entry; the oldest goes past twenty.
TEST(SendBytes, TheDropDownKeepsTheLastTwentyOnceEachNewestFirst)
{
    std::vector<SendBytesEntry> history;
    for (int i = 0; i < 25; ++i) send_bytes_remember(&history, SendBytesEntry{std::to_string(i), true});
    send_bytes_remember(&history, SendBytesEntry{"10", true});
    send_bytes_remember(&history, SendBytesEntry{"24", false});
    ASSERT_EQ(history.size(), SEND_BYTES_HISTORY_MAX);
    const char* const expected[] = {"24", "10", "24", "23"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(history[i].text, expected[i]) << i;
    EXPECT_FALSE(history[0].hex);
    EXPECT_EQ(history.back().text, "6");
}

} // namespace
