// Test helpers for the console buffer: a console made without any window, and the
// buffer's invariants checked after every step. Shared by the unit tests and the
// fuzzer; portable.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "console/console.h"
#include "console/double_byte.h"

// A console with its buffers and no view, as console_create makes one.
inline Console* make_test_console(std::uint32_t buffer_bytes, std::int32_t column)
{
    Console* console = new Console();
    ConsoleSettings settings{};
    settings.buffer_bytes = buffer_bytes;
    settings.line_table_size = CONSOLE_LINE_TABLE_SIZE;
    settings.column = column;
    settings.tab_width = 8;
    console_take_settings(console, &settings);
    console_allocate_buffers(console, &settings);
    console_input_reset(console);
    return console;
}

inline void free_test_console(Console* console)
{
    console_release_buffers(console);
    delete console;
}

// Returns an empty string when every invariant holds, otherwise what is broken.
// check_wrap: the column has not changed since the text was stored.
inline std::string console_invariant_fault(const Console* c, bool check_wrap = true)
{
    if (!console_has_buffers(c)) return c->used == 0 ? "" : "used without buffers";
    if (c->used > c->capacity) return "used beyond capacity";
    if (c->last_line >= c->line_table_size) return "last_line beyond the table";
    if (c->line_starts[0] != 0) return "line 0 does not start at 0";
    for (std::uint32_t i = 1; i <= c->last_line; ++i)
        if (c->line_starts[i] <= c->line_starts[i - 1]) return "line starts not increasing at " + std::to_string(i);
    if (c->line_starts[c->last_line] > c->used) return "last line starts past used";
    for (std::uint32_t i = 0; i < c->used; ++i)
        if (c->text[i] == 0x08) return "BS stored at " + std::to_string(i);
    for (std::uint32_t i = 0; i < c->last_line; ++i) {
        std::uint32_t start = c->line_starts[i], end = c->line_starts[i + 1];
        unsigned char last = c->text[end - 1];
        bool line_end = last == 0x0D || last == 0x0A;
        // Wrapped lines end at the column in force when they were stored, or one byte
        // later when that byte completes a character whose lead byte filled it.
        std::int64_t length = end - start;
        bool whole_character = length == c->column + 1 && is_double_byte(c->text[end - 2], last);
        if (!line_end && check_wrap && length != c->column && !whole_character)
            return "line " + std::to_string(i) + " neither ends a line nor fills the column";
    }
    if (c->input_length < 0 || c->input_length > CONSOLE_INPUT_MAX) return "input length out of range";
    if (c->input_text[c->input_length] != '\0') return "input line not terminated";
    if (c->input_cursor < 0 || c->input_cursor > c->input_length) return "input cursor out of range";
    if (c->selection_state != 0 && (static_cast<std::uint32_t>(c->sel_anchor.offset) > c->used ||
                                    static_cast<std::uint32_t>(c->sel_end.offset) > c->used))
        return "selection past used";
    return "";
}

inline std::string console_line(const Console* c, std::uint32_t line)
{
    std::uint32_t start = console_line_start(c, line), end = console_line_end(c, line);
    return std::string(reinterpret_cast<const char*>(c->text) + start, end - start);
}

inline void append_text(Console* c, const std::string& bytes)
{
    console_append_bytes(c, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()));
}
