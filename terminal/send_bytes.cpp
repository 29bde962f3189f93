// The send-bytes window's reading of its fields; see send_bytes.h.
#include "terminal/send_bytes.h"

#include <algorithm>
#include <cstring>

#include "terminal/escapes.h"
#include "terminal/hex_bytes.h"

// A whole number from low to high, blanks around it allowed; false for anything else,
// an empty field included.
static bool read_number(const char* text, std::int32_t low, std::int32_t high, std::int32_t* out)
{
    if (!text) return false;
    while (*text == ' ')
        ++text;
    if (*text < '0' || *text > '9') return false;
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > high) return false;
    }
    while (*text == ' ')
        ++text;
    if (*text != '\0' || value < low) return false;
    *out = static_cast<std::int32_t>(value);
    return true;
}

static int read_data(const char* text, bool hex, std::vector<unsigned char>* bytes)
{
    const std::size_t length = text ? std::strlen(text) : 0;
    if (length == 0) return SEND_BYTES_EMPTY;
    if (length > SEND_BYTES_TEXT_MAX) return SEND_BYTES_TOO_LONG;
    if (!hex) {
        // The expansion is never longer than the text; it needs 4 bytes to spare.
        bytes->resize(length + 4);
        int n = expand_escapes(bytes->data(), text, static_cast<int>(length));
        bytes->resize(static_cast<std::size_t>(n));
        return SEND_BYTES_OK;
    }
    bytes->resize(length / 2 + 1);
    std::size_t count = 0, at = 0;
    int parsed = hex_bytes_parse(text, length, bytes->data(), bytes->size(), &count, &at);
    bytes->resize(count);
    switch (parsed) {
    case HEX_BYTES_OK:
        return SEND_BYTES_OK;
    case HEX_BYTES_EMPTY:
        return SEND_BYTES_EMPTY;
    case HEX_BYTES_ODD_DIGITS:
        return SEND_BYTES_ODD_DIGITS;
    default:
        return SEND_BYTES_NOT_HEX; // a stray character, or "0x" with no digit
    }
}

int send_bytes_read(const SendBytesFields& fields, SendBytesRequest* out)
{
    out->bytes.clear();
    std::int32_t repeat = 0, interval = 0;
    int result = read_data(fields.text, fields.hex, &out->bytes);
    if (result == SEND_BYTES_OK && !read_number(fields.repeat, 1, SEND_BYTES_REPEAT_MAX, &repeat))
        result = SEND_BYTES_BAD_REPEAT;
    if (result == SEND_BYTES_OK && !read_number(fields.interval, 0, SEND_BYTES_INTERVAL_MAX, &interval))
        result = SEND_BYTES_BAD_INTERVAL;
    if (result != SEND_BYTES_OK) {
        out->bytes.clear();
        return result;
    }
    out->repeat = repeat;
    out->interval_ms = static_cast<std::uint32_t>(interval);
    return SEND_BYTES_OK;
}

const char* send_bytes_message(int result)
{
    switch (result) {
    case SEND_BYTES_EMPTY:
        return "送信するﾃﾞｰﾀを入力してください";
    case SEND_BYTES_TOO_LONG:
        return "送信するﾃﾞｰﾀが長すぎます (65536文字まで)";
    case SEND_BYTES_ODD_DIGITS:
        return "16進数の桁数が奇数です";
    case SEND_BYTES_NOT_HEX:
        return "16進数として読めない文字があります";
    case SEND_BYTES_BAD_REPEAT:
        return "繰り返し回数は1から1000000までの数を入力してください";
    case SEND_BYTES_BAD_INTERVAL:
        return "送信間隔は0から60000までの数(ms)を入力してください";
    default:
        return "";
    }
}

void send_bytes_remember(std::vector<SendBytesEntry>* history, const SendBytesEntry& entry)
{
    auto same = [&](const SendBytesEntry& e) { return e.hex == entry.hex && e.text == entry.text; };
    history->erase(std::remove_if(history->begin(), history->end(), same), history->end());
    history->insert(history->begin(), entry);
    if (history->size() > SEND_BYTES_HISTORY_MAX) history->resize(SEND_BYTES_HISTORY_MAX);
}
