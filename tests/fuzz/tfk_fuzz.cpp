// Fuzzes the ".tfk" reader with whatever a file may hold: the first byte chooses the
// size of the pieces the rest is fed in, and the result must be the same as when the
// file is fed whole. Every key must stay NUL-terminated within its field (at most 128
// bytes), and all the keys written back and read again must come back the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "terminal/function_keys.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

static void read_in_pieces(const uint8_t* data, size_t size, size_t piece, FunctionKeyStrings* strings)
{
    TfkReader reader;
    tfk_reader_start(&reader, strings);
    for (size_t at = 0; at < size; at += piece)
        if (!tfk_reader_feed(&reader, data + at, size - at < piece ? size - at : piece)) break;
    tfk_reader_finish(&reader);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const size_t piece = 1 + data[0] % 64;
    ++data;
    --size;
    FunctionKeyStrings whole, pieces;
    read_in_pieces(data, size, size + 1, &whole);
    read_in_pieces(data, size, piece, &pieces);
    check(std::memcmp(whole, pieces, sizeof whole) == 0);
    std::string file;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) {
        const char* key = whole[i];
        size_t length = strnlen(key, FUNCTION_KEY_TEXT);
        check(length < FUNCTION_KEY_TEXT);
        char line[TFK_LINE_BUFFER];
        int n = tfk_format_line(i, key, line);
        file.append(line, static_cast<size_t>(n));
    }
    FunctionKeyStrings again;
    read_in_pieces(reinterpret_cast<const uint8_t*>(file.data()), file.size(), file.size() + 1, &again);
    // A NUL read into a key ends it: keys compare as texts.
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) check(std::strncmp(whole[i], again[i], FUNCTION_KEY_TEXT) == 0);
    return 0;
}
