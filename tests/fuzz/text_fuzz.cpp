// Fuzzes the byte conversions that take whatever a peer or the user hands over: the
// receive line-end conversion (chunked exactly as the port does it), the escape
// expansion (into a buffer of exactly the promised size, so that the sanitizer sees
// any overrun) and its reverse, the paste line-end conversion, hexadecimal bytes
// typed by the user, and the send-bytes window's fields. Each result is checked
// against a plain restatement of its rule over the whole input, or against the way
// back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/console_selection.h"
#include "terminal/escapes.h"
#include "terminal/hex_bytes.h"
#include "terminal/receive_convert.h"
#include "terminal/send_bytes.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

static void fuzz_receive(int mode, const unsigned char* data, size_t size)
{
    std::string expected;
    for (size_t i = 0; i < size; ++i) {
        unsigned char b = data[i];
        if (mode == RECEIVE_LF_TO_CRLF && b == 0x0A) expected += '\r';
        expected += static_cast<char>(b);
        if (mode == RECEIVE_CR_TO_CRLF && b == 0x0D) expected += '\n';
    }
    std::string got;
    std::vector<unsigned char> chunk(RECEIVE_CHUNK_BUFFER);
    std::uint32_t at = 0;
    while (at < size) {
        std::uint32_t consumed = 0;
        std::uint32_t n = receive_convert_chunk(mode, data + at, static_cast<std::uint32_t>(size - at), &consumed,
                                                chunk.data());
        check(consumed > 0 && n <= RECEIVE_CHUNK_FILL + 1);
        got.append(reinterpret_cast<const char*>(chunk.data()), n);
        at += consumed;
    }
    check(got == expected);
}

static void fuzz_escapes(const std::string& text, int limit)
{
    std::vector<unsigned char> out(static_cast<size_t>(limit) + 4);
    int n = expand_escapes(out.data(), text.c_str(), limit);
    check(n >= 0 && n <= limit + 3);
    if (text.find('\\') == std::string::npos && !text.empty())
        check(std::memcmp(out.data(), text.data(), static_cast<size_t>(n)) == 0);
}

// Bytes shown with escapes expand back to themselves.
static void fuzz_format(const unsigned char* bytes, size_t size)
{
    const int count = static_cast<int>(size);
    std::vector<char> text(4 * size + 1);
    check(format_escapes(text.data(), static_cast<int>(text.size()), bytes, count) <= 4 * count);
    std::vector<unsigned char> back(size + 4);
    int n = expand_escapes(back.data(), text.data(), count);
    check(n == count && std::memcmp(back.data(), bytes, size) == 0);
}

// Hexadecimal typed by the user: a refusal points into the text, and what was parsed,
// written out and parsed again, gives the same bytes.
static void fuzz_hex(const std::string& text, size_t capacity)
{
    std::vector<unsigned char> out(capacity);
    size_t count = 0, at = 0;
    int result = hex_bytes_parse(text.data(), text.size(), out.data(), capacity, &count, &at);
    check(count <= capacity && (result == HEX_BYTES_OK || at < text.size() || result == HEX_BYTES_EMPTY));
    if (result != HEX_BYTES_OK) return;
    std::vector<char> formatted(3 * count);
    check(hex_bytes_format(out.data(), count, formatted.data(), formatted.size()) == 3 * count - 1);
    std::vector<unsigned char> again(count);
    check(hex_bytes_parse(formatted.data(), 3 * count - 1, again.data(), count, &count, &at) == HEX_BYTES_OK &&
          std::memcmp(again.data(), out.data(), count) == 0);
}

// The send-bytes window's fields: the data as the hex parser or the escapes read it,
// and the repeat and interval taken only as whole numbers in their ranges.
static void fuzz_send_bytes(const std::string& text, bool hex)
{
    const size_t cut = text.size() / 3;
    const std::string data = text.substr(cut), repeat = text.substr(0, cut / 2);
    const std::string interval = text.substr(cut / 2, cut - cut / 2);
    SendBytesRequest request;
    int result = send_bytes_read(SendBytesFields{data.c_str(), hex, repeat.c_str(), interval.c_str()}, &request);
    if (result != SEND_BYTES_OK) {
        check(request.bytes.empty() && *send_bytes_message(result) != '\0');
        return;
    }
    check(!request.bytes.empty() && request.bytes.size() <= data.size());
    check(request.repeat >= 1 && request.repeat <= SEND_BYTES_REPEAT_MAX &&
          request.interval_ms <= static_cast<std::uint32_t>(SEND_BYTES_INTERVAL_MAX));
    check(std::atol(repeat.c_str()) == request.repeat &&
          std::atol(interval.c_str()) == static_cast<long>(request.interval_ms));
}

static void fuzz_paste(const std::string& text, int mode)
{
    std::vector<char> out(2 * text.size() + 1);
    std::uint32_t n = console_paste_convert(text.c_str(), mode, out.data());
    check(n <= 2 * text.size() && out[n] == '\0');
    // No other byte changes: the text without its line ends is kept.
    std::string kept, got_kept;
    for (char c : text)
        if (c != '\r' && c != '\n') kept += c;
    for (std::uint32_t i = 0; i < n; ++i)
        if (out[i] != '\r' && out[i] != '\n') got_kept += out[i];
    check(kept == got_kept);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    int mode = data[0] % 4;
    int limit = data[1];
    const unsigned char* bytes = data + 2;
    size_t n = size - 2;
    // Long deliveries reach the chunk boundary.
    std::vector<unsigned char> long_input;
    if (mode == 3 && n > 0) {
        for (size_t i = 0; i < 9000; ++i) long_input.push_back(bytes[i % n]);
        fuzz_receive(data[1] % 3, long_input.data(), long_input.size());
    } else {
        fuzz_receive(mode, bytes, n);
    }
    std::string text(reinterpret_cast<const char*>(bytes), n);
    text = text.c_str();  // both conversions take NUL-terminated text
    fuzz_escapes(text, limit);
    fuzz_paste(text, data[1] % 3);
    fuzz_format(bytes, n);
    fuzz_hex(std::string(reinterpret_cast<const char*>(bytes), n), data[1] % 64);
    fuzz_send_bytes(text, (data[0] & 4) != 0);
    return 0;
}
