// The console's view arithmetic: display rows laid out from the stored bytes, the
// left edge and colour runs of a rendered row, scroll ranges and positions, the
// automatic scroll to the end, the LINE input line and the mouse hit test.
// Portable. The window's thread runs all of it; the Console owns the rendered-row
// buffers filled here, and the caller holds console_mutex wherever an append could
// move the text being read.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "console/console_layout.h"
#include "console/console_selection.h"
#include "console/console_time.h"
#include "base/double_byte.h"

static const unsigned char TAB = 0x09;
static const unsigned char LF = 0x0A;
static const unsigned char CR = 0x0D;
static const char HEX_DIGITS[] = "0123456789ABCDEF";
static const unsigned char LONE_LEAD_SHOWN = 0xA5;  // ･ (half-width middle dot)

// A tab stop is at least one cell apart and never wider than a whole row, so that
// the first byte of a row always fits.
static std::int32_t row_tab_width(const Console* console)
{
    std::int32_t d = console->view.tab_width;
    if (d < 1) return 1;
    return d > CONSOLE_ROW_CELLS ? CONSOLE_ROW_CELLS : d;
}

static bool shown_as_hex(const Console* console, unsigned char b)
{
    return console->view.hex_mode && b <= 0x1F;
}

// Cells byte b takes when it starts at cell `at` of a display row.
static std::int32_t cells_of(const Console* console, unsigned char b, std::int32_t at)
{
    if (shown_as_hex(console, b)) return 4;
    if (b == TAB) {
        std::int32_t d = row_tab_width(console);
        return d - at % d;
    }
    return 1;
}

// A lead byte whose next byte in the row is no trail byte is a byte of its own. Drawn
// as it is, the font would take the next cell with it (a control byte, a TAB's first
// space, the "<" of a hexadecimal group); it is shown as a half-width dot instead.
static void mark_lone_lead(Console* console, std::int32_t cell)
{
    console->view.row_chars[cell] = LONE_LEAD_SHOWN;
}

// The first range of marks that ends after p.
static std::int32_t first_mark_after(const HighlightLine* marks, std::uint32_t p)
{
    std::int32_t lo = 0, hi = marks->count;
    while (lo < hi) {
        const std::int32_t mid = (lo + hi) / 2;
        if (marks->ranges[mid].end <= p)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

RowLayout console_layout_row(Console* console, std::uint32_t p, std::uint32_t n, std::int32_t lo, std::int32_t hi,
                             const HighlightLine* marks)
{
    RowLayout row{0, 0};
    if (!console || !console->buffer.text) return row;
    std::int32_t mark = marks && marks->count > 0 ? first_mark_after(marks, p) : 0;
    const std::int32_t mark_count = marks ? marks->count : 0;
    const std::int64_t column = console->buffer.column;
    std::uint32_t j = 0;
    std::int32_t i = 0;
    std::int32_t lead_cell = -1;  // the cell of a lead byte whose trail is still to come
    while (j < n) {
        // Every row shows at least one byte, whatever the column, so that a paint
        // always moves on through the line.
        if (j > 0) {
            if (static_cast<std::int64_t>(j) > column) break;
            if (static_cast<std::int64_t>(j) == column &&
                !is_double_byte(console->buffer.text[p - 1], console->buffer.text[p]))
                break;
        }
        const unsigned char b = console->buffer.text[p];
        const std::int32_t k = cells_of(console, b, i);
        if (i + k > CONSOLE_ROW_CELLS) break;  // this byte starts the next row
        const bool selected = static_cast<std::int64_t>(lo) <= p && p <= static_cast<std::int64_t>(hi);
        unsigned char cls = selected ? CELL_SELECTED : CELL_NORMAL;
        while (mark < mark_count && marks->ranges[mark].end <= p) ++mark;
        const bool marked = !selected && mark < mark_count && marks->ranges[mark].start <= p;
        if (marked) cls = static_cast<unsigned char>(CELL_HIGHLIGHT + marks->ranges[mark].rule);
        if (shown_as_hex(console, b)) {
            if (!selected && !marked) cls = CELL_HEX;
            const unsigned char group[4] = {'<', static_cast<unsigned char>(HEX_DIGITS[b >> 4]),
                                            static_cast<unsigned char>(HEX_DIGITS[b & 0x0F]), '>'};
            for (int g = 0; g < 4; ++g) console->view.row_chars[i + g] = group[g];
        } else if (b == TAB || b == CR || b == LF) {
            for (std::int32_t g = 0; g < k; ++g) console->view.row_chars[i + g] = ' ';
        } else {
            console->view.row_chars[i] = b;
        }
        for (std::int32_t g = 0; g < k; ++g) console->view.row_classes[i + g] = cls;
        if (lead_cell >= 0) {
            if (!is_trail_byte(b)) mark_lone_lead(console, lead_cell);
            lead_cell = -1;
        } else if (is_lead_byte(b)) {
            lead_cell = i;
        }
        i += k;
        ++j;
        ++p;
    }
    if (lead_cell >= 0) mark_lone_lead(console, lead_cell);
    row.consumed = j;
    row.columns = i;
    return row;
}

std::int32_t console_text_left(const Console* console)
{
    if (!console || !console->view.time_stamps) return CONSOLE_LEFT_MARGIN;
    return CONSOLE_LEFT_MARGIN + CONSOLE_STAMP_CELLS * console->view.char_width;
}

// The formatted stamps of the lines painted lately, by line number: a paint under
// the console's lock copies a line's text instead of formatting its time again, as
// long as the line still holds the time it was formatted from.
namespace {
struct StampCacheEntry {
    ConsoleTime time = CONSOLE_TIME_NONE;
    char text[CONSOLE_STAMP_TEXT + 1];
};
constexpr std::uint32_t STAMP_CACHE_SIZE = 256;  // more than the rows of any window
}  // namespace

static void stamp_text(std::uint32_t line, ConsoleTime time, char* text)
{
    static thread_local StampCacheEntry cache[STAMP_CACHE_SIZE];
    StampCacheEntry& entry = cache[line % STAMP_CACHE_SIZE];
    if (entry.time != time) {
        console_time_of_day_text(time, entry.text);
        entry.time = time;
    }
    std::memcpy(text, entry.text, sizeof entry.text);
}

// The gutter of a row: the time of the line it starts, none for a row that goes on
// with a line (a wrapped one, or the rest of a row too long for the cells).
static void paint_gutter(const Console* console, const ConsolePaintSink* sink, std::int32_t y, bool line_start,
                         std::uint32_t line)
{
    const std::int32_t left = CONSOLE_LEFT_MARGIN, right = console_text_left(console);
    char text[CONSOLE_STAMP_TEXT + 1];
    std::int32_t count = 0;
    if (line_start) {
        const ConsoleLineInfo info = console_line_info(console, line);
        if (!info.continues && info.first_byte_time != CONSOLE_TIME_NONE &&
            console_line_end(console, line) > console_line_start(console, line)) {
            stamp_text(line, info.first_byte_time, text);
            count = static_cast<std::int32_t>(CONSOLE_STAMP_TEXT);
        }
    }
    sink->gutter(sink->context, left, y, right, text, count);
}

// The visible-row table holds at least a page of rows.
static bool grow_row_table(Console* console)
{
    if (console->view.page_rows <= console->view.row_table_size && console->view.row_table) return true;
    std::int32_t size = 2 * console->view.page_rows;
    ConsoleRow* table = static_cast<ConsoleRow*>(std::calloc(static_cast<size_t>(size > 0 ? size : 1), sizeof(ConsoleRow)));
    if (!table) return false;
    std::free(console->view.row_table);
    console->view.row_table = table;
    console->view.row_table_size = size;
    return true;
}

bool console_paint_rows(Console* console, std::int32_t right, std::int32_t bottom, const ConsolePaintSink* sink)
{
    const std::int32_t text_left = console_text_left(console);
    const bool gutter = console->view.time_stamps && sink->gutter;
    console_set_page(console, right - text_left, bottom - CONSOLE_TOP_MARGIN);
    console->view.last_row = 0;
    if (!grow_row_table(console) || !console_has_buffers(console)) return false;
    ConsoleViewState& view = console->view;
    const std::int32_t cw = view.char_width, lh = view.line_height;
    view.caret_x = -2 * cw;  // out of sight until a row places it
    view.caret_y = 0;
    const SelectionRange selection = console_selection_range(console);
    // The keywords of the logical line being shown, found once for all its rows.
    static thread_local HighlightLine marks;
    const bool highlighting = view.highlights && view.highlights->count > 0;
    marks.count = 0;
    marks.first = marks.last = 0;
    const std::int32_t last_length = static_cast<std::int32_t>(console_last_line_length(console));
    const std::uint32_t last_line = console_last_line(console);
    std::uint32_t next_line = static_cast<std::uint32_t>(view.vscroll_pos > 0 ? view.vscroll_pos : 0);
    std::uint32_t g = 0, e = 0, line = 0;  // the line being shown: from g, ending at e
    bool have_line = false;
    for (std::int32_t i = 0; i < view.page_rows; ++i) {
        const std::int32_t y = CONSOLE_TOP_MARGIN + i * lh;
        std::int32_t x = text_left;
        view.row_table[i] = ConsoleRow{-1, 0};
        bool on_row = false;  // this row shows (part of) a line, possibly empty
        bool line_start = false;
        if (g < e) {
            on_row = true;
        } else if (next_line <= last_line) {
            line = next_line++;
            g = console_line_start(console, line);
            e = console_line_end(console, line);
            have_line = on_row = line_start = true;
        }
        if (on_row && e > g) {
            if (highlighting && (g < marks.first || g >= marks.last)) {
                std::uint32_t first, last;
                console_logical_line(console, line, &first, &last);
                console_highlight_line(console, view.highlights, first, last, &marks);
            }
            RowLayout row = console_layout_row(console, g, e - g, selection.lo, selection.hi,
                                               highlighting ? &marks : nullptr);
            view.row_table[i] =
                ConsoleRow{static_cast<std::int32_t>(g), static_cast<std::int32_t>(row.consumed)};
            view.last_row = i;
            bool shifted = false;
            std::int32_t column = console_left_edge_column(console, row.columns, &shifted);
            if (shifted) x -= cw;
            while (column >= 0 && column < row.columns) {
                std::int32_t run = console_run_length(console, column, row.columns);
                sink->run(sink->context, x, y, reinterpret_cast<const char*>(view.row_chars) + column, run,
                          view.row_classes[column]);
                x += run * cw;
                column += run;
            }
            g += row.consumed;
        }
        // The caret's cell need only begin inside the text area: in a window
        // narrower or lower than a cell or two it would otherwise never show.
        if (on_row && have_line && line == last_line && view.hscroll_pos <= last_length && x < right &&
            y < bottom) {
            view.caret_x = x;
            view.caret_y = y;
        }
        if (x < right) sink->fill(sink->context, x, y, right, y + lh);
        if (gutter) paint_gutter(console, sink, y, line_start, line);
    }
    return true;
}

std::int32_t console_left_edge_column(const Console* console, std::int32_t columns, bool* shifted)
{
    if (shifted) *shifted = false;
    if (!console) return -1;
    if (columns > CONSOLE_ROW_CELLS) columns = CONSOLE_ROW_CELLS;
    const std::int32_t first = console->view.hscroll_pos < 0 ? 0 : console->view.hscroll_pos;
    if (first >= columns) return -1;
    // Walk the cells as drawn: a lead byte takes its trail along, so the first
    // column may be the right half of a character that then starts one cell early.
    for (std::int32_t c = 0; c < first;) {
        if (is_lead_byte(console->view.row_chars[c])) {
            if (c + 1 == first) {
                if (shifted) *shifted = true;
                return c;
            }
            c += 2;
        } else {
            c += 1;
        }
    }
    return first;
}

std::int32_t console_cells_between(const Console* console, std::uint32_t from, std::uint32_t to)
{
    std::int32_t cells = 0;
    if (!console || !console->buffer.text || to > console->buffer.used) return 0;
    for (std::uint32_t p = from; p < to && cells < CONSOLE_ROW_CELLS; ++p)
        cells += cells_of(console, console->buffer.text[p], cells);
    return cells;
}

std::int32_t console_run_length(const Console* console, std::int32_t from, std::int32_t columns)
{
    if (!console || from < 0) return 0;
    if (columns > CONSOLE_ROW_CELLS) columns = CONSOLE_ROW_CELLS;
    if (from >= columns) return 0;
    const unsigned char cls = console->view.row_classes[from];
    std::int32_t end = from + 1;
    while (end < columns && console->view.row_classes[end] == cls) ++end;
    return end - from;
}

// An empty or negative extent holds no cells at all.
std::int32_t console_page_count(std::int32_t extent, std::int32_t cell)
{
    if (cell <= 0 || extent <= 0) return 0;
    return static_cast<std::int32_t>((static_cast<std::int64_t>(extent) + cell - 1) / cell);
}

void console_set_page(Console* console, std::int32_t width, std::int32_t height)
{
    const std::int32_t cw = console->view.char_width, lh = console->view.line_height;
    console->view.page_columns = console_page_count(width, cw);
    console->view.page_rows = console_page_count(height, lh);
    console->view.full_columns = cw > 0 && width > 0 ? width / cw : 0;
    console->view.full_rows = lh > 0 && height > 0 ? height / lh : 0;
}

std::int32_t console_vscroll_range(const Console* console)
{
    return static_cast<std::int32_t>(console_last_line(console)) + 8;
}

std::int32_t console_hscroll_range(const Console* console)
{
    return console->view.hex_mode ? console->buffer.column * 4 + 8 : console->buffer.column + 8;
}

std::int32_t console_clamp_scroll(std::int32_t position, std::int32_t range, std::int32_t page)
{
    if (page >= range) return 0;
    if (position < 0) return 0;
    return position > range - page ? range - page : position;
}

std::int32_t console_scroll_request(int request, std::int32_t position, std::int32_t page,
                                     std::int32_t minimum, std::int32_t maximum, std::int32_t track)
{
    switch (request) {
    case 0: return position - 2;         // line up / left
    case 1: return position + 2;         // line down / right
    case 2: return position - page;      // page up / left
    case 3: return position + page;      // page down / right
    case 5: return track;                // thumb being dragged
    case 6: return minimum;              // top / left end
    case 7: return maximum;              // bottom / right end
    default: return position;            // thumb released, end of scroll
    }
}

std::int32_t console_wheel_scroll(std::int32_t position, int delta)
{
    return position - (delta / 120) * 2;
}

// Keeps `end` (the last line, or the column just after its last byte) among the
// `whole` positions shown from the target: a page too small for the usual margin
// below the end (a window a few rows high) must still show the end itself.
static void keep_in_view(bool* set, std::int32_t* target, std::int32_t position, std::int32_t end,
                         std::int32_t whole)
{
    const std::int32_t shown = whole > 0 ? whole : 1;
    std::int32_t t = *set ? *target : position;
    if (t > end) t = end;
    if (t < end - shown + 1) t = end - shown + 1;
    if (*set || t != position) {
        *set = true;
        *target = t;
    }
}

ScrollTargets console_scroll_to_end_targets(const Console* console)
{
    ScrollTargets t{false, 0, false, 0};
    const std::int32_t n = static_cast<std::int32_t>(console_last_line_length(console));
    if (n < console->view.hscroll_pos) {
        t.set_h = true;
        t.h = n - 1;
    } else if (n > console->view.hscroll_pos + console->view.page_columns - 2) {
        t.set_h = true;
        t.h = n - console->view.page_columns + 4;
    }
    keep_in_view(&t.set_h, &t.h, console->view.hscroll_pos, n, console->view.full_columns);
    const std::int32_t last = static_cast<std::int32_t>(console_last_line(console));
    if (last < console->view.vscroll_pos) {
        t.set_v = true;
        t.v = last - 1;
    } else if (last > console->view.vscroll_pos + console->view.page_rows - 2) {
        // Leaves three rows below the last line.
        t.set_v = true;
        t.v = last - console->view.page_rows + 4;
    }
    keep_in_view(&t.set_v, &t.v, console->view.vscroll_pos, last, console->view.full_rows);
    return t;
}

std::int32_t console_input_columns(const Console* console)
{
    // The rows' own tab width: a width kept as the settings file gave it (up to
    // 2^31 - 1) would put the caret past what a pixel position can hold.
    const std::int64_t d = row_tab_width(console);
    std::int32_t end = console->input.input_cursor;
    if (end > CONSOLE_INPUT_MAX) end = CONSOLE_INPUT_MAX;
    std::int64_t columns = 0;
    for (std::int32_t k = 0; k < end; ++k)
        columns = console->input.input_text[k] == '\t' ? (columns / d + 1) * d : columns + 1;
    return columns > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(columns);
}

std::int32_t console_input_caret_x(const Console* console)
{
    const std::int32_t columns = console_input_columns(console) - console->input.input_first_column + 1;
    return columns * console->view.char_width;
}

std::int32_t console_render_input(Console* console)
{
    const std::int32_t limit = CONSOLE_ROW_CELLS - 1;
    const std::int32_t d = console->view.tab_width < 2 ? 1 : console->view.tab_width;
    std::int32_t length = console->input.input_length;
    if (length > CONSOLE_INPUT_MAX) length = CONSOLE_INPUT_MAX;
    std::int32_t out = 0;
    for (std::int32_t k = 0; k < length && out < limit; ++k) {
        const char b = console->input.input_text[k];
        if (b != '\t') {
            console->input.input_render[out++] = b;
            continue;
        }
        for (std::int32_t spaces = d - out % d; spaces > 0 && out < limit; --spaces)
            console->input.input_render[out++] = ' ';
    }
    console->input.input_render[out] = '\0';
    return out;
}

void console_scroll_input(Console* console, std::int32_t x1, std::int32_t area_right)
{
    if (console->view.char_width <= 0) return;  // nothing measured yet
    const std::int32_t cx = console_input_caret_x(console);
    const std::int32_t limit = area_right - 4 * console->view.char_width;
    if (limit <= 0) return;
    const std::int32_t first = console->input.input_first_column;
    std::int32_t f;
    bool left = false;
    if (cx >= limit) {
        f = first + (cx - limit) / console->view.char_width;
    } else if (cx < x1 && first > 0) {
        f = first - 1;
        left = true;
    } else {
        return;
    }
    if (f < 0) return;
    if (console_input_on_trail_byte(console, f)) f += left ? -1 : 1;
    console->input.input_first_column = f;
}

ConsoleHit console_hit_test(const Console* console, std::int32_t x, std::int32_t y)
{
    ConsoleHit hit{-1, 0, 0, -1, -1};
    if (!console || console->view.char_width <= 0 || console->view.line_height <= 0) return hit;
    const ConsoleViewState& view = console->view;
    const std::int32_t text_left = console_text_left(console);
    std::int32_t column = x >= text_left ? (x - text_left) / view.char_width : -1;
    std::int32_t row = y >= CONSOLE_TOP_MARGIN ? (y - CONSOLE_TOP_MARGIN) / view.line_height : -1;
    if (row < 0) {
        row = 0;
        hit.before_mark = 0;
    }
    if (column < 0) {
        column = 0;
        hit.before_mark = row;
    }
    hit.row = row;
    hit.column = column;
    if (!view.row_table) return hit;
    if (row > view.last_row) {
        row = view.last_row;
        column = view.page_columns;
        hit.row = row;
        hit.column = column;
        hit.after_mark = row;
    }
    if (row < 0 || row >= view.row_table_size) return hit;
    const ConsoleRow entry = view.row_table[row];
    std::int64_t count = entry.offset < 0 || !console->buffer.text || entry.count < 0 ? 0 : entry.count;
    if (entry.offset >= 0 && entry.offset + count > console->buffer.capacity)
        count = console->buffer.capacity - entry.offset;
    if (count < 0) count = 0;
    // Count cells as the row was laid out, up to the byte whose cells pass the
    // point; the last byte also takes every point beyond the row's text.
    const std::int64_t target = static_cast<std::int64_t>(view.hscroll_pos) + column;
    std::int64_t cells = 0;
    std::int64_t index = 0;
    bool passed = false;
    for (; index + 1 < count; ++index) {
        const unsigned char b = console->buffer.text[entry.offset + index];
        cells += cells_of(console, b, static_cast<std::int32_t>(cells));
        if (cells > target) {
            passed = true;
            break;
        }
    }
    if (!passed && cells < target) hit.after_mark = row;
    if (entry.offset >= 0) hit.offset = static_cast<std::int32_t>(entry.offset + index);
    return hit;
}
