// Find in the scrollback over the console's text; see console_find.h. Portable; the
// window's thread runs it with console_mutex held.
//
// The text always begins at a line start, and a line never begins inside a
// double-byte character (the wrap holds a lead byte back for its trail), so the whole
// text is one range for the matcher, whose first byte starts a character. A match
// may run over line ends: "0D 0A" in hexadecimal finds the line ends themselves.
#include "console/console_find.h"

#include "console/console_layout.h"
#include "console/console_selection.h"

std::uint32_t console_line_of_offset(const Console* console, std::uint32_t offset)
{
    const std::uint32_t last = console_last_line(console);
    std::uint32_t lo = 0, hi = last;  // the line is in [lo, hi]
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo + 1) / 2;
        if (console_line_start(console, mid) <= offset)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

void console_scroll_into_view(Console* console, std::uint32_t offset, std::uint32_t length)
{
    ConsoleViewState& view = console->view;
    const std::uint32_t line = console_line_of_offset(console, offset);
    const std::int32_t rows = view.full_rows > 0 ? view.full_rows : 1;
    const std::int32_t row = static_cast<std::int32_t>(line);
    if (row < view.vscroll_pos || row >= view.vscroll_pos + rows)
        view.vscroll_pos = console_clamp_scroll(row - rows / 2, console_vscroll_range(console), view.page_rows);
    const std::uint32_t start = console_line_start(console, line);
    const std::int32_t first = console_cells_between(console, start, offset);
    // Its part on the row it starts on; a match cut by a wrap goes on at the next row's start.
    std::uint32_t stop = offset + length;
    if (stop > console_line_end(console, line)) stop = console_line_end(console, line);
    const std::int32_t end = console_cells_between(console, start, stop);
    const std::int32_t columns = view.full_columns > 0 ? view.full_columns : 1;
    if (first < view.hscroll_pos || end > view.hscroll_pos + columns) {
        std::int32_t h = end - columns + 2;
        if (h > first) h = first;  // longer than the window: its start shows
        view.hscroll_pos = console_clamp_scroll(h, console_hscroll_range(console), view.page_columns);
    }
}

// Where a search in this direction begins when no selection or earlier match says.
static std::uint32_t view_origin(const Console* console, bool backward)
{
    const std::uint32_t last = console_last_line(console);
    std::int64_t line = console->view.vscroll_pos < 0 ? 0 : console->view.vscroll_pos;
    if (backward) line += console->view.page_rows > 0 ? console->view.page_rows - 1 : 0;
    if (line > last) return backward ? console->buffer.used : console_line_start(console, last);
    const std::uint32_t n = static_cast<std::uint32_t>(line);
    return backward ? console_line_end(console, n) : console_line_start(console, n);
}

ConsoleFindMatch console_find(Console* console, const BytePattern* pattern, bool backward)
{
    ConsoleFindMatch match{FIND_NOT_FOUND, 0, 0};
    if (!console_has_buffers(console) || !pattern || pattern->length <= 0) return match;
    ConsoleSelection& s = console->selection;
    const unsigned char* text = console->buffer.text;
    const std::uint32_t used = console->buffer.used;
    const std::uint64_t first = console_first_byte_number(console);
    // The range [lo, hi) the search goes on from: forward after it, backward before it.
    std::uint64_t lo, hi;
    const SelectionRange range = console_selection_range(console);
    if (s.selection_state == 3 && range.lo >= 0) {
        lo = first + static_cast<std::uint32_t>(range.lo);
        hi = first + static_cast<std::uint32_t>(range.hi) + 1;
    } else if (s.found_valid) {
        lo = s.found_start;
        hi = s.found_end;
    } else {
        lo = hi = first + view_origin(console, backward);
    }
    // Discarded meanwhile: the front of what is left is after it.
    lo = lo < first ? 0 : lo - first;
    hi = hi < first ? 0 : hi - first;
    if (lo > used) lo = used;
    if (hi > used) hi = used;
    std::size_t at;
    if (backward) {
        at = byte_match_find_backward(pattern, text, used, static_cast<std::size_t>(lo));
        match.result = FIND_FOUND;
        if (at == BYTE_MATCH_NONE) {
            at = byte_match_find_backward(pattern, text, used, used);
            match.result = FIND_WRAPPED;
        }
    } else {
        at = byte_match_find(pattern, text, used, static_cast<std::size_t>(hi));
        match.result = FIND_FOUND;
        if (at == BYTE_MATCH_NONE) {
            at = byte_match_find(pattern, text, used, 0);
            match.result = FIND_WRAPPED;
        }
    }
    if (at == BYTE_MATCH_NONE) {
        match.result = FIND_NOT_FOUND;
        return match;
    }
    match.offset = static_cast<std::uint32_t>(at);
    match.length = static_cast<std::uint32_t>(pattern->length);
    s.selection_state = 3;
    s.sel_anchor = ConsolePosition{static_cast<std::int32_t>(at), 0, 0};
    s.sel_end = ConsolePosition{static_cast<std::int32_t>(at + match.length - 1), 0, 0};
    s.found_valid = 1;
    s.found_start = first + at;
    s.found_end = first + at + match.length;
    console_scroll_into_view(console, match.offset, match.length);
    return match;
}
