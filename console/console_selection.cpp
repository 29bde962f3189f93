// Selecting text with the mouse or all at once, and the byte conversions of copy and
// paste. Portable; the window's thread runs it, holding console_mutex where an append
// could move the text. The Win32 side (console_clipboard_win.cpp) owns the mouse
// capture, the drag scrolling and the clipboard memory; the caller owns every buffer
// passed in here.
#include <cstring>

#include "console/console_layout.h"
#include "console/console_selection.h"
#include "base/double_byte.h"

static const char CR = 0x0D;
static const char LF = 0x0A;

SelectionRange console_selection_range(const Console* console)
{
    const ConsoleSelection& s = console->selection;
    if (s.selection_state != 2 && s.selection_state != 3) return {-1, -1};
    std::int32_t a = s.sel_anchor.offset, e = s.sel_end.offset;
    return a <= e ? SelectionRange{a, e} : SelectionRange{e, a};
}

// The position of a hit byte together with the visible row it was taken on; false
// when the point is on no stored byte.
static bool position_of(const Console* console, const ConsoleHit& hit, ConsolePosition* out)
{
    if (hit.offset < 0 || static_cast<std::uint32_t>(hit.offset) >= console->buffer.used) return false;
    if (!console->view.row_table || hit.row < 0 || hit.row >= console->view.row_table_size) return false;
    const ConsoleRow& row = console->view.row_table[hit.row];
    *out = {hit.offset, row.offset, row.count};
    return true;
}

// Sets the anchor at the hit byte (state 1), or leaves no selection (state 0).
static void anchor_at(Console* console, const ConsoleHit& hit)
{
    ConsolePosition p;
    if (!position_of(console, hit, &p)) {
        console_clear_selection(console);
        return;
    }
    console->selection.sel_anchor = console->selection.sel_end = p;
    console->selection.selection_state = 1;
}

bool console_selection_press(Console* console, std::int32_t x, std::int32_t y)
{
    ConsoleSelection& s = console->selection;
    bool repaint = s.selection_state != 0;
    console_clear_selection(console);
    ConsoleHit hit = console_hit_test(console, x, y);
    s.press_before_mark = hit.before_mark;
    s.press_after_mark = hit.after_mark;
    anchor_at(console, hit);
    return repaint || s.selection_state == 1;
}

bool console_selection_move(Console* console, std::int32_t x, std::int32_t y)
{
    ConsoleSelection& s = console->selection;
    if (s.selection_state != 1 && s.selection_state != 2) return false;
    ConsoleHit hit = console_hit_test(console, x, y);
    // Still in the margin or past the text where the button went down: the drag
    // has not really begun, so it starts over from here.
    if ((s.press_before_mark >= 0 && s.press_before_mark == hit.before_mark) ||
        (s.press_after_mark >= 0 && s.press_after_mark == hit.after_mark)) {
        anchor_at(console, hit);
        return true;
    }
    ConsolePosition p;
    if (!position_of(console, hit, &p)) return false;
    s.sel_end = p;
    s.selection_state = 2;
    console_selection_adjust_ends(console);
    return true;
}

void console_selection_release(Console* console)
{
    ConsoleSelection& s = console->selection;
    if (s.selection_state != 2 || console->buffer.used == 0) {
        console_clear_selection(console);
        return;
    }
    std::int32_t last = static_cast<std::int32_t>(console->buffer.used - 1);
    if (s.sel_end.offset < 0) s.sel_end.offset = 0;
    if (s.sel_end.offset > last) s.sel_end.offset = last;
    s.selection_state = 3;
}

// Moves one end off the middle of a double-byte character, looking only at the row
// the end was taken on: the higher end onto the trail byte, the lower onto the lead.
static void adjust_end(const Console* console, ConsolePosition* p, bool higher)
{
    const std::int32_t start = p->row_start, count = p->row_length;
    if (start < 0 || count < 2) return;
    // A row recorded before the text moved may reach past it.
    std::int64_t end = static_cast<std::int64_t>(start) + count;
    if (end > console->buffer.used) end = console->buffer.used;
    for (std::int64_t q = start; q + 1 < end && q <= p->offset; ++q) {
        if (!is_double_byte(console->buffer.text[q], console->buffer.text[q + 1])) continue;
        if (higher && p->offset == q) p->offset = static_cast<std::int32_t>(q + 1);
        if (!higher && p->offset == q + 1) p->offset = static_cast<std::int32_t>(q);
        ++q;  // the trail byte starts nothing
    }
}

void console_selection_adjust_ends(Console* console)
{
    ConsoleSelection& s = console->selection;
    bool anchor_lower = s.sel_anchor.offset <= s.sel_end.offset;
    adjust_end(console, &s.sel_anchor, !anchor_lower);
    adjust_end(console, &s.sel_end, anchor_lower);
}

bool console_selection_select_all(Console* console)
{
    if (console->buffer.used == 0) {
        console_clear_selection(console);
        return false;
    }
    ConsoleSelection& s = console->selection;
    s.sel_anchor.offset = 0;
    s.sel_end.offset = static_cast<std::int32_t>(console->buffer.used - 1);
    s.selection_state = 3;
    return true;
}

std::uint32_t console_selection_copy_length(const Console* console)
{
    if (console->selection.selection_state != 3) return 0;
    SelectionRange r = console_selection_range(console);
    if (r.lo < 0 || static_cast<std::uint32_t>(r.hi) >= console->buffer.used) return 0;
    return static_cast<std::uint32_t>(r.hi - r.lo) + 1;
}

void console_selection_copy_text(const Console* console, char* out)
{
    std::uint32_t n = console_selection_copy_length(console);
    const unsigned char* from = n ? console->buffer.text + console_selection_range(console).lo : nullptr;
    for (std::uint32_t i = 0; i < n; ++i) out[i] = from[i] ? static_cast<char>(from[i]) : ' ';
    out[n] = '\0';
}

std::uint32_t console_paste_convert(const char* text, int line_end_mode, char* out)
{
    const char* line_end = line_end_mode == 0 ? "\r" : line_end_mode == 1 ? "\n" : "\r\n";
    const std::size_t line_end_length = std::strlen(line_end);
    std::uint32_t n = 0;
    for (const char* p = text; p && *p; ++p) {
        if (*p != CR && *p != LF) {
            out[n++] = *p;
            continue;
        }
        // CR LF and LF CR are one line end each.
        if ((p[1] == CR || p[1] == LF) && p[1] != *p) ++p;
        std::memcpy(out + n, line_end, line_end_length);
        n += static_cast<std::uint32_t>(line_end_length);
    }
    out[n] = '\0';
    return n;
}
