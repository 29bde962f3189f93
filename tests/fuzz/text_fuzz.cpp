// Fuzzes the byte conversions that take whatever a peer or the user hands over: the
// receive line-end conversion (chunked exactly as the port does it), the escape
// expansion (into a buffer of exactly the promised size, so that the sanitizer sees
// any overrun) and the paste line-end conversion. Each result is checked against a
// plain restatement of its rule over the whole input.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/console_selection.h"
#include "terminal/escapes.h"
#include "terminal/receive_convert.h"

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
    return 0;
}
