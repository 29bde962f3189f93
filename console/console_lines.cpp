// The console's line table; see console_lines.h. Portable; run by the text buffer
// with console_mutex held.
#include "console/console_lines.h"

#include <cstdlib>

static void one_empty_line(ConsoleLines* lines, ConsoleTime time)
{
    lines->last_line = 0;
    lines->first_slot = 0;
    lines->last_slot = 0;
    lines->last_start = 0;
    lines->line_starts[0] = static_cast<std::uint32_t>(lines->bytes_discarded);
    lines->line_info[0] = ConsoleLineInfo{time, LINE_OPEN, 0};
}

bool console_lines_allocate(ConsoleLines* lines, std::uint32_t size)
{
    console_lines_release(lines);
    if (size < 2) size = 2;
    lines->line_starts = static_cast<std::uint32_t*>(std::calloc(size, sizeof(std::uint32_t)));
    lines->line_info = static_cast<ConsoleLineInfo*>(std::calloc(size, sizeof(ConsoleLineInfo)));
    if (!lines->line_starts || !lines->line_info) {
        console_lines_release(lines);
        return false;
    }
    lines->line_table_size = size;
    one_empty_line(lines, CONSOLE_TIME_NONE);
    return true;
}

void console_lines_release(ConsoleLines* lines)
{
    std::free(lines->line_starts);
    std::free(lines->line_info);
    *lines = ConsoleLines{};
}

void console_lines_clear(ConsoleLines* lines, std::uint32_t bytes, ConsoleTime time)
{
    if (!lines->line_starts) return;
    // An empty table loses nothing: its line stays line number lines_discarded.
    if (bytes > 0) {
        lines->lines_discarded += lines->last_line + 1;
        lines->bytes_discarded += bytes;
    }
    one_empty_line(lines, time);
}

void console_lines_drop_front(ConsoleLines* lines, std::uint32_t count, std::uint32_t cut)
{
    if (count == 0 || count > lines->last_line) return;
    lines->first_slot = console_lines_slot(lines, count);
    lines->last_line -= count;
    lines->last_start -= cut;
    lines->lines_discarded += count;
    lines->bytes_discarded += cut;
}

std::uint32_t console_lines_first_beyond(const ConsoleLines* lines, std::uint32_t threshold)
{
    // The starts increase strictly: the first one beyond is found by halving.
    std::uint32_t low = 0, high = lines->last_line;
    while (low < high) {
        std::uint32_t middle = low + (high - low) / 2;
        if (console_lines_start(lines, middle) > threshold)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}
