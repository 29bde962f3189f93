// The console's text buffer: appending with backspace, CR/LF pairing and wrapping,
// discarding whole lines from the front, clearing and resizing. Where lines start
// and what is known of each is the line table's (console_lines.h).
// Portable. console_append_bytes and everything that moves the text run with console_mutex
// held by the Win32 caller (console_win.cpp); the queries are for readers that hold
// it too or that run on the window's thread where no append can interleave.
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "base/double_byte.h"

static const unsigned char BS = 0x08;
static const unsigned char LF = 0x0A;
static const unsigned char CR = 0x0D;

static bool is_line_end(unsigned char b)
{
    return b == CR || b == LF;
}

bool console_has_buffers(const Console* console)
{
    return console && console->buffer.text && console->buffer.lines.line_starts;
}

void console_clear_selection(Console* console)
{
    console->selection.selection_state = 0;
    std::memset(&console->selection.sel_anchor, 0, sizeof console->selection.sel_anchor);
    std::memset(&console->selection.sel_end, 0, sizeof console->selection.sel_end);
}

// Everything goes; the one empty line left is stamped with `time`.
static void clear_text(Console* console, ConsoleTime time)
{
    ConsoleBuffer& buffer = console->buffer;
    console_lines_clear(&buffer.lines, buffer.used, time);
    buffer.used = 0;
    buffer.wrap_held = 0;
    console_clear_selection(console);
    std::memset(buffer.text, 0, buffer.capacity);
}

void console_clear_buffer(Console* console)
{
    if (console_has_buffers(console)) clear_text(console, CONSOLE_TIME_NONE);
}

// See console_discard_front; `time` stamps the empty line left when all goes.
static void discard_front(Console* console, std::uint32_t need, ConsoleTime time)
{
    ConsoleBuffer& buffer = console->buffer;
    std::uint32_t threshold = buffer.capacity / 16;
    if (need > threshold) threshold = need;
    // The last line is never a candidate: at least one line must remain whole.
    const std::uint32_t first = console_lines_first_beyond(&buffer.lines, threshold);
    if (first == buffer.lines.last_line || buffer.used <= console_lines_start(&buffer.lines, first)) {
        clear_text(console, time);
        return;
    }
    const std::uint32_t cut = console_lines_start(&buffer.lines, first);
    std::memmove(buffer.text, buffer.text + cut, buffer.used - cut);
    console_lines_drop_front(&buffer.lines, first, cut);
    buffer.used -= cut;
    // The freed tail is zero, as a fresh buffer is; nothing reads past used, but a
    // log of the whole buffer must never see stale bytes.
    std::memset(buffer.text + buffer.used, 0, cut);
}

void console_discard_front(Console* console, std::uint32_t need)
{
    if (console_has_buffers(console)) discard_front(console, need, CONSOLE_TIME_NONE);
}

// Whether a CR or LF just stored at text[used] completes a CR LF or LF CR pair with
// the previous line's end, so that it belongs to that line.
static bool completes_pair(const ConsoleBuffer& buffer, unsigned char b, std::uint32_t len)
{
    const std::uint32_t used = buffer.used;
    const std::uint32_t last_line = buffer.lines.last_line;
    if (len != 0 || used == 0 || last_line < 1) return false;
    unsigned char before = buffer.text[used - 1];
    if (!is_line_end(before) || before == b) return false;
    std::uint32_t previous_length =
        buffer.lines.last_start - console_lines_start(&buffer.lines, last_line - 1);
    // CR LF CR LF is two line ends: the second CR must not pair with the first LF.
    return previous_length <= 1 || !is_line_end(buffer.text[used - 2]);
}

// Whether the byte at text[at], in the last line, starts a double-byte character:
// a lead byte preceded, within the line, by an even number of lead-range bytes.
// Reading back from it is enough: the first byte before the run that cannot lead
// ends a character, and every lead-range byte is trail-range too, so the run pairs
// up from its start.
static bool starts_character(const ConsoleBuffer& buffer, std::uint32_t at)
{
    if (!is_lead_byte(buffer.text[at])) return false;
    const std::uint32_t line_start = buffer.lines.last_start;
    std::uint32_t before = 0;
    while (at - before > line_start && is_lead_byte(buffer.text[at - before - 1])) ++before;
    return before % 2 == 0;
}

// Starts a new line at used after a wrap; when the line table is full, old lines go
// first. Returns true when something was discarded.
static bool start_wrapped_line(Console* console, ConsoleTime time)
{
    ConsoleBuffer& buffer = console->buffer;
    bool discarded = false;
    if (console_lines_full(&buffer.lines)) {
        discard_front(console, 1, time);
        discarded = true;
        // Nothing could stay: the empty buffer's one line is where the next byte goes.
        if (buffer.used == 0) return true;
    }
    console_lines_begin(&buffer.lines, buffer.used, LINE_WRAPPED, time);
    return discarded;
}

// Stores one byte the careful way: backspace, line ends and their pairing, the wrap,
// a wrap held for a trail byte, and room in a full line table. Returns true when
// something was discarded.
static bool store_byte(Console* console, unsigned char b, std::int64_t column, ConsoleTime time)
{
    ConsoleBuffer& buffer = console->buffer;
    unsigned char* text = buffer.text;
    bool discarded = false;
    if (buffer.wrap_held) {
        // The line is full and ends in the lead byte of a character: its trail byte
        // joins it there, anything else starts the next line.
        buffer.wrap_held = 0;
        if (b != BS) {
            if (is_trail_byte(b)) {
                text[buffer.used++] = b;
                return start_wrapped_line(console, time);
            }
            discarded = start_wrapped_line(console, time);
        }
    }
    for (;;) {
        const std::uint32_t len = buffer.used - buffer.lines.last_start;
        if (b == BS) {
            if (len == 0) return discarded;
            if (buffer.used >= 2 && len > 1 && is_double_byte(text[buffer.used - 2], text[buffer.used - 1]))
                buffer.used -= 2;
            else
                buffer.used -= 1;
            return discarded;
        }
        text[buffer.used] = b;
        ConsoleLineEnd ends = LINE_OPEN;
        if (is_line_end(b)) {
            if (completes_pair(buffer, b, len))
                console_lines_move_last_start(&buffer.lines, buffer.used + 1);
            else
                ends = LINE_ENDED;
        } else if (static_cast<std::int64_t>(len) >= column - 1) {
            // A character is never split over two lines: its lead byte, the
            // column-th, keeps the line open for the trail byte.
            if (starts_character(buffer, buffer.used))
                buffer.wrap_held = 1;
            else
                ends = LINE_WRAPPED;
        }
        buffer.used += 1;
        if (ends == LINE_OPEN) return discarded;
        if (console_lines_full(&buffer.lines)) {
            discard_front(console, 1, time);
            discarded = true;
            // Nothing could stay, this byte included: take it again as the first byte
            // of the empty buffer, so that the line starts keep increasing and the
            // byte is not lost.
            if (buffer.used == 0) continue;
        }
        console_lines_begin(&buffer.lines, buffer.used, ends, time);
        return discarded;
    }
}

static bool is_special(unsigned char b)
{
    return b == BS || b == CR || b == LF;
}

bool console_append_bytes(Console* console, const unsigned char* bytes, std::uint32_t length,
                          ConsoleTime time)
{
    if (!console_has_buffers(console) || !bytes || length == 0 || console->buffer.capacity == 0) return false;
    ConsoleBuffer& buffer = console->buffer;
    bool discarded = false;
    if (length > buffer.capacity) {
        clear_text(console, time);
        length = buffer.capacity;
        discarded = true;
    } else if (buffer.used + length >= buffer.capacity) {
        discard_front(console, length, time);
        discarded = true;
    }
    console_lines_stamp_empty_last(&buffer.lines, buffer.used, time);
    const std::int64_t column = buffer.column < 1 ? 1 : buffer.column;
    std::uint32_t k = 0;
    while (k < length) {
        if (is_special(bytes[k]) || buffer.wrap_held) {
            discarded |= store_byte(console, bytes[k], column, time);
            ++k;
            continue;
        }
        // A run of ordinary bytes up to the end of the line is copied in one go:
        // only its last byte can end the line.
        const std::uint32_t len = buffer.used - buffer.lines.last_start;
        std::int64_t room = column - static_cast<std::int64_t>(len);
        if (room < 1) room = 1;
        std::uint32_t limit = length - k;
        if (static_cast<std::int64_t>(limit) > room) limit = static_cast<std::uint32_t>(room);
        std::uint32_t run = 1;
        while (run < limit && !is_special(bytes[k + run])) ++run;
        bool ends_line = static_cast<std::int64_t>(len) + run >= column;
        if (ends_line && console_lines_full(&buffer.lines)) {
            // The line table is full: the byte that ends the line takes the careful way.
            if (run == 1) {
                discarded |= store_byte(console, bytes[k], column, time);
                ++k;
                continue;
            }
            run -= 1;
            ends_line = false;
        }
        std::memcpy(buffer.text + buffer.used, bytes + k, run);
        buffer.used += run;
        k += run;
        if (ends_line && starts_character(buffer, buffer.used - 1)) {
            buffer.wrap_held = 1;  // see store_byte
            ends_line = false;
        }
        if (ends_line) console_lines_begin(&buffer.lines, buffer.used, LINE_WRAPPED, time);
    }
    return discarded;
}

void console_set_column(Console* console, std::int32_t column)
{
    if (console && column != 0 && column != console->buffer.column) console->buffer.column = column;
}

void console_resize_buffer(Console* console, std::uint32_t new_capacity)
{
    if (!console_has_buffers(console) || new_capacity == 0) return;
    ConsoleBuffer& buffer = console->buffer;
    if (new_capacity == buffer.capacity) return;
    unsigned char* fresh = static_cast<unsigned char*>(std::calloc(new_capacity, 1));
    if (!fresh) return;
    // A selection made before could point past what stays.
    console_clear_selection(console);
    if (buffer.used > new_capacity) console_discard_front(console, buffer.used - new_capacity);
    std::memcpy(fresh, buffer.text, buffer.used);
    std::free(buffer.text);
    buffer.text = fresh;
    buffer.capacity = new_capacity;
}

bool console_allocate_buffers(Console* console, const ConsoleSettings* settings)
{
    console_release_buffers(console);
    ConsoleBuffer& buffer = console->buffer;
    const std::uint32_t bytes = settings->buffer_bytes;
    buffer.text = static_cast<unsigned char*>(std::calloc(bytes ? bytes : 1, 1));
    const bool lines = console_lines_allocate(&buffer.lines, CONSOLE_LINE_TABLE_SIZE);
    ConsoleViewState& view = console->view;
    view.row_table = static_cast<ConsoleRow*>(std::calloc(CONSOLE_ROW_TABLE_INITIAL, sizeof(ConsoleRow)));
    if (!buffer.text || !lines || !view.row_table || bytes == 0) {
        console_release_buffers(console);
        return false;
    }
    view.row_table_size = CONSOLE_ROW_TABLE_INITIAL;
    buffer.capacity = bytes;
    buffer.used = 0;
    buffer.wrap_held = 0;
    console_set_column(console, settings->column);
    return true;
}

void console_release_buffers(Console* console)
{
    ConsoleBuffer& buffer = console->buffer;
    std::free(buffer.text);
    console_lines_release(&buffer.lines);
    std::free(console->view.row_table);
    buffer.text = nullptr;
    console->view.row_table = nullptr;
    console->view.row_table_size = 0;
    buffer.capacity = 0;
    buffer.used = 0;
    buffer.wrap_held = 0;
    console_clear_selection(console);
}

void console_take_settings(Console* console, const ConsoleSettings* settings)
{
    if (!console || !settings) return;
    if (console->input.line_mode != settings->line_mode) console_input_reset(console);
    ConsoleViewState& view = console->view;
    view.tab_width = settings->tab_width;
    console->input.line_mode = settings->line_mode;
    view.hex_mode = settings->hex_mode;
    console->input.keys_disabled = settings->keys_disabled;
    view.show_vscroll = settings->show_vscroll;
    view.show_hscroll = settings->show_hscroll;
    view.font_height = settings->font_height;
    std::memcpy(view.font_face, settings->font_face, sizeof view.font_face);
    view.font_face[sizeof view.font_face - 1] = '\0';
    std::memcpy(view.colours, settings->colours, sizeof view.colours);
    view.stamp_colour = settings->stamp_colour;
    view.highlights = settings->highlights;
    std::memcpy(console->input.input_colours, settings->input_colours, sizeof console->input.input_colours);
    console_resize_buffer(console, settings->buffer_bytes);
    console_set_column(console, settings->column);
}

std::uint32_t console_text_length(const Console* console)
{
    return console_has_buffers(console) ? console->buffer.used : 0;
}

const unsigned char* console_text_at(const Console* console, std::uint32_t offset)
{
    if (!console_has_buffers(console) || offset >= console->buffer.used) return nullptr;
    return console->buffer.text + offset;
}

std::uint32_t console_line_start(const Console* console, std::uint32_t line)
{
    if (!console_has_buffers(console) || line > console->buffer.lines.last_line) return 0;
    return console_lines_start(&console->buffer.lines, line);
}

std::uint32_t console_line_end(const Console* console, std::uint32_t line)
{
    if (!console_has_buffers(console) || line > console->buffer.lines.last_line) return 0;
    const ConsoleLines& lines = console->buffer.lines;
    return line < lines.last_line ? console_lines_start(&lines, line + 1) : console->buffer.used;
}

std::uint32_t console_last_line_length(const Console* console)
{
    if (!console_has_buffers(console)) return 0;
    return console->buffer.used - console->buffer.lines.last_start;
}

std::uint32_t console_last_line(const Console* console)
{
    return console_has_buffers(console) ? console->buffer.lines.last_line : 0;
}

ConsoleLineInfo console_line_info(const Console* console, std::uint32_t line)
{
    if (!console_has_buffers(console) || line > console->buffer.lines.last_line)
        return ConsoleLineInfo{CONSOLE_TIME_NONE, LINE_OPEN, 0};
    return console_lines_info(&console->buffer.lines, line);
}

std::uint64_t console_first_line_number(const Console* console)
{
    return console ? console->buffer.lines.lines_discarded : 0;
}

std::uint64_t console_first_byte_number(const Console* console)
{
    return console ? console->buffer.lines.bytes_discarded : 0;
}
