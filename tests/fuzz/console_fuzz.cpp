// Fuzzes the console buffer and the LINE input line with a script of operations
// taken from the input: appends of arbitrary bytes, discards, resizes, column changes
// and line edits on a small buffer and line table, so that every discarding path is
// reached. After each step the buffer's invariants must hold, and an append that
// needed no room must leave its bytes at the end of the text. The lines' times follow
// the appends' order whatever was discarded, and the positions that count discarded
// lines and bytes never run backwards.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/console/console_invariants.h"

static void check(const Console* console, bool column_fixed)
{
    std::string fault = console_invariant_fault(console, column_fixed);
    if (!fault.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", fault.c_str());
        std::abort();
    }
}

static void check_positions(const Console* console, std::uint64_t* last_line_number,
                            std::uint64_t* end_byte_number)
{
    const std::uint32_t last = console_last_line(console);
    for (std::uint32_t i = 1; i < last; ++i)
        if (console_line_info(console, i).first_byte_time < console_line_info(console, i - 1).first_byte_time)
            std::abort();
    const std::uint64_t line = console_first_line_number(console) + last;
    const std::uint64_t byte = console_first_byte_number(console) + console_text_length(console);
    if (line < *last_line_number || byte < *end_byte_number) std::abort();
    *last_line_number = line;
    *end_byte_number = byte;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    std::uint32_t capacity = 16 + (data[0] | (data[1] & 0x0F) << 8);
    std::int32_t column = 1 + data[2] % 64;
    Console* console = make_test_console(capacity, column);
    console_lines_allocate(&console->buffer.lines, 2 + data[1] % 62);  // small, so the table fills
    std::uint64_t last_line_number = 0, end_byte_number = 0;
    bool column_fixed = true;
    size_t at = 3;
    while (at < size) {
        unsigned char op = data[at++];
        size_t n = op >> 3;
        if (n > size - at) n = size - at;
        const unsigned char* arg = data + at;
        switch (op & 7) {
        case 0:
        case 1:
        case 2: {
            // Appends dominate: up to 31 bytes as they come, or a longer run of one.
            std::string bytes(reinterpret_cast<const char*>(arg), n);
            if ((op & 7) == 2 && n > 0) bytes = std::string(n * 97, static_cast<char>(arg[0]));
            std::uint32_t used = console->buffer.used;
            bool discarded = console_append_bytes(console, reinterpret_cast<const unsigned char*>(bytes.data()),
                                                  static_cast<std::uint32_t>(bytes.size()),
                                                  static_cast<ConsoleTime>(at));
            bool has_bs = bytes.find('\x08') != std::string::npos;
            if (has_bs) end_byte_number = 0;  // a backspace takes bytes back
            if (!discarded && !has_bs) {
                if (console->buffer.used != used + bytes.size()) std::abort();
                if (std::memcmp(console->buffer.text + used, bytes.data(), bytes.size()) != 0) std::abort();
            }
            at += n;
            break;
        }
        case 3:
            console_discard_front(console, n * 13);
            break;
        case 4:
            console_resize_buffer(console, 16 + n * 61);
            break;
        case 5:
            if (n != 0 && static_cast<std::int32_t>(n) != console->buffer.column) column_fixed = false;
            console_set_column(console, static_cast<std::int32_t>(n));
            break;
        case 6:
            console_input_insert(console, reinterpret_cast<const char*>(arg), static_cast<int>(n), op & 1);
            at += n;
            break;
        case 7:
            if (n % 3 == 0) console_input_delete(console);
            else if (n % 3 == 1) console_input_move_cursor(console, -1);
            else console_input_move_cursor(console, 1);
            break;
        }
        check(console, column_fixed);
        check_positions(console, &last_line_number, &end_byte_number);
        // A cursor move never ends on a trail byte (an insert may, when bytes that
        // are not whole characters are put between the two of one).
        if ((op & 7) == 7 && n % 3 != 0 && console_input_on_trail_byte(console, console->input.input_cursor))
            std::abort();
    }
    free_test_console(console);
    return 0;
}
