// Test helpers for the console buffer: a console made without any window, and the
// buffer's invariants checked after every step. Shared by the unit tests and the
// fuzzer; portable.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "console/console.h"
#include "base/double_byte.h"

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
    if (!console_has_buffers(c)) return c->buffer.used == 0 ? "" : "used without buffers";
    if (c->buffer.used > c->buffer.capacity) return "used beyond capacity";
    if (console_last_line(c) >= c->buffer.lines.line_table_size) return "last_line beyond the table";
    const std::uint32_t last_line = console_last_line(c);
    if (console_line_start(c, 0) != 0) return "line 0 does not start at 0";
    for (std::uint32_t i = 1; i <= last_line; ++i)
        if (console_line_start(c, i) <= console_line_start(c, i - 1))
            return "line starts not increasing at " + std::to_string(i);
    if (console_line_start(c, last_line) > c->buffer.used) return "last line starts past used";
    for (std::uint32_t i = 0; i < c->buffer.used; ++i)
        if (c->buffer.text[i] == 0x08) return "BS stored at " + std::to_string(i);
    for (std::uint32_t i = 0; i < last_line; ++i) {
        std::uint32_t start = console_line_start(c, i), end = console_line_start(c, i + 1);
        unsigned char last = c->buffer.text[end - 1];
        bool line_end = last == 0x0D || last == 0x0A;
        // Wrapped lines end at the column in force when they were stored, or one byte
        // later when that byte completes a character whose lead byte filled it.
        std::int64_t length = end - start;
        bool whole_character =
            length == c->buffer.column + 1 && is_double_byte(c->buffer.text[end - 2], last);
        if (!line_end && check_wrap && length != c->buffer.column && !whole_character)
            return "line " + std::to_string(i) + " neither ends a line nor fills the column";
        // A wrap never falls on a line-end byte: how a line ended shows in its bytes.
        if (console_line_info(c, i).end != (line_end ? LINE_ENDED : LINE_WRAPPED))
            return "line " + std::to_string(i) + " has the wrong end";
    }
    if (console_line_info(c, last_line).end != LINE_OPEN) return "the last line is not open";
    for (std::uint32_t i = 0; i <= last_line; ++i) {
        if (i > 0 && console_line_info(c, i).continues != (console_line_info(c, i - 1).end == LINE_WRAPPED))
            return "line " + std::to_string(i) + " does not know whether it continues a wrap";
        if (console_line_end(c, i) > console_line_start(c, i) &&
            console_line_info(c, i).first_byte_time == CONSOLE_TIME_NONE)
            return "line " + std::to_string(i) + " holds bytes but no time";
    }
    if (c->input.input_length < 0 || c->input.input_length > CONSOLE_INPUT_MAX)
        return "input length out of range";
    if (c->input.input_text[c->input.input_length] != '\0') return "input line not terminated";
    if (c->input.input_cursor < 0 || c->input.input_cursor > c->input.input_length)
        return "input cursor out of range";
    const ConsoleSelection& s = c->selection;
    if (s.selection_state != 0 && (static_cast<std::uint32_t>(s.sel_anchor.offset) > c->buffer.used ||
                                   static_cast<std::uint32_t>(s.sel_end.offset) > c->buffer.used))
        return "selection past used";
    return "";
}

inline std::string console_line(const Console* c, std::uint32_t line)
{
    std::uint32_t start = console_line_start(c, line), end = console_line_end(c, line);
    return std::string(reinterpret_cast<const char*>(c->buffer.text) + start, end - start);
}

inline void append_text(Console* c, const std::string& bytes, ConsoleTime time = 0)
{
    console_append_bytes(c, reinterpret_cast<const unsigned char*>(bytes.data()),
                         static_cast<std::uint32_t>(bytes.size()), time);
}
