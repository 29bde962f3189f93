// The console's append as it was before its line table became a module of its own
// (a flat array of starts, shifted on every discard, no facts per line), kept
// unchanged as the baseline the append benchmarks compare against in the same run.
// Only the text, the line table and the wrap are here: the rest of the console
// record never took part in an append.
#pragma once
#include <cstdint>

namespace before {

struct Buffer {
    std::uint32_t line_table_size;
    std::int32_t column;
    std::uint32_t capacity;
    std::uint32_t used;
    unsigned char* text;
    std::uint32_t last_line;
    std::uint32_t* line_starts;
    std::int32_t wrap_held;
};

Buffer* make_buffer(std::uint32_t buffer_bytes, std::int32_t column);
void free_buffer(Buffer* buffer);
bool append_bytes(Buffer* buffer, const unsigned char* bytes, std::uint32_t length);

}  // namespace before
