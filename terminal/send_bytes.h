// What the send-bytes window sends: its fields read into bytes, a repeat count and an
// interval, or the plain reason they cannot be; and the window's drop-down of the
// last entries sent. Portable and pure; the window (app/send_bytes_window_win.cpp)
// owns the fields' text, the result and the history.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::int32_t SEND_BYTES_REPEAT_MAX = 1000000;
constexpr std::int32_t SEND_BYTES_INTERVAL_MAX = 60000;
// Longer field text is refused rather than sent: it would also sit in the drop-down.
constexpr std::size_t SEND_BYTES_TEXT_MAX = 65536;
constexpr std::size_t SEND_BYTES_HISTORY_MAX = 20;

enum SendBytesResult {
    SEND_BYTES_OK = 0,
    SEND_BYTES_EMPTY,
    SEND_BYTES_TOO_LONG,
    SEND_BYTES_ODD_DIGITS,
    SEND_BYTES_NOT_HEX,
    SEND_BYTES_BAD_REPEAT,
    SEND_BYTES_BAD_INTERVAL,
};

struct SendBytesFields {
    const char* text; // the data field, NUL-terminated
    bool hex;         // hexadecimal bytes, else text with escapes
    const char* repeat;
    const char* interval;
};

struct SendBytesRequest {
    std::vector<unsigned char> bytes;
    std::int32_t repeat;
    std::uint32_t interval_ms;
};

// Reads the fields; on failure says why and leaves *out's bytes empty. The data is
// hexadecimal bytes as hex_bytes_parse takes them, or text whose escapes
// expand_escapes expands (an unknown escape kept as written, as a function key's).
int send_bytes_read(const SendBytesFields& fields, SendBytesRequest* out);
// The plain message for a result other than SEND_BYTES_OK.
const char* send_bytes_message(int result);

// One entry of the drop-down: the field's text and how it was read.
struct SendBytesEntry {
    std::string text;
    bool hex;
};
// An entry sent: first in the list, once (an equal entry further down moves up), and
// no more than SEND_BYTES_HISTORY_MAX entries kept.
void send_bytes_remember(std::vector<SendBytesEntry>* history, const SendBytesEntry& entry);
