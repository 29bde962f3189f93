// The console's append before its line table became a module; see
// console_append_before.h. Copied as it was, apart from the record's name and the
// selection, which the bytes never touched.
#include "tests/bench/console_append_before.h"

#include <cstdlib>
#include <cstring>

#include "base/double_byte.h"

namespace before {

static const unsigned char BS = 0x08;
static const unsigned char LF = 0x0A;
static const unsigned char CR = 0x0D;

static bool is_line_end(unsigned char b)
{
    return b == CR || b == LF;
}

static bool console_has_buffers(const Buffer* console)
{
    return console && console->text && console->line_starts;
}

static void console_clear_buffer(Buffer* console)
{
    if (!console_has_buffers(console)) return;
    console->used = 0;
    console->last_line = 0;
    console->wrap_held = 0;
    std::memset(console->line_starts, 0, sizeof(std::uint32_t) * console->line_table_size);
    std::memset(console->text, 0, console->capacity);
}

static void console_discard_front(Buffer* console, std::uint32_t need)
{
    if (!console_has_buffers(console)) return;
    std::uint32_t threshold = console->capacity / 16;
    if (need > threshold) threshold = need;
    // The last line is never a candidate: at least one line must remain whole.
    std::uint32_t first = 0;
    bool found = false;
    for (std::uint32_t i = 0; i < console->last_line; ++i) {
        if (console->line_starts[i] > threshold) {
            first = i;
            found = true;
            break;
        }
    }
    if (!found || console->used <= console->line_starts[first]) {
        console_clear_buffer(console);
        return;
    }
    std::uint32_t cut = console->line_starts[first];
    std::memmove(console->text, console->text + cut, console->used - cut);
    std::uint32_t kept_lines = console->last_line - first + 1;
    for (std::uint32_t j = 0; j < kept_lines; ++j)
        console->line_starts[j] = console->line_starts[first + j] - cut;
    // Keep the table clean past the last line, as console_clear_buffer leaves it.
    std::memset(console->line_starts + kept_lines, 0,
                sizeof(std::uint32_t) * (console->last_line + 1 - kept_lines));
    console->last_line -= first;
    console->used -= cut;
    // The freed tail is zero, as a fresh buffer is; nothing reads past used, but a
    // log of the whole buffer must never see stale bytes.
    std::memset(console->text + console->used, 0, cut);
}

// Whether a CR or LF just stored at text[used] completes a CR LF or LF CR pair with
// the previous line's end, so that it belongs to that line.
static bool completes_pair(const Buffer* console, unsigned char b, std::uint32_t len)
{
    std::uint32_t used = console->used;
    if (len != 0 || used == 0 || console->last_line < 1) return false;
    unsigned char before = console->text[used - 1];
    if (!is_line_end(before) || before == b) return false;
    std::uint32_t previous_length =
        console->line_starts[console->last_line] - console->line_starts[console->last_line - 1];
    // CR LF CR LF is two line ends: the second CR must not pair with the first LF.
    return previous_length <= 1 || !is_line_end(console->text[used - 2]);
}

// Whether the byte at text[at], in the last line, starts a double-byte character:
// a lead byte preceded, within the line, by an even number of lead-range bytes.
// Reading back from it is enough: the first byte before the run that cannot lead
// ends a character, and every lead-range byte is trail-range too, so the run pairs
// up from its start.
static bool starts_character(const Buffer* console, std::uint32_t at)
{
    if (!is_lead_byte(console->text[at])) return false;
    const std::uint32_t line_start = console->line_starts[console->last_line];
    std::uint32_t before = 0;
    while (at - before > line_start && is_lead_byte(console->text[at - before - 1])) ++before;
    return before % 2 == 0;
}

// Starts a new line at used; when the line table is full, old lines go first.
// Returns true when something was discarded.
static bool start_line(Buffer* console)
{
    bool discarded = false;
    if (console->last_line >= console->line_table_size - 1) {
        console_discard_front(console, 1);
        discarded = true;
        // Nothing could stay: the empty buffer's one line is where the next byte goes.
        if (console->used == 0) return true;
    }
    console->last_line += 1;
    console->line_starts[console->last_line] = console->used;
    return discarded;
}

// Stores one byte the careful way: backspace, line ends and their pairing, the wrap,
// a wrap held for a trail byte, and room in a full line table. Returns true when
// something was discarded.
static bool store_byte(Buffer* console, unsigned char b, std::int64_t column)
{
    unsigned char* text = console->text;
    bool discarded = false;
    if (console->wrap_held) {
        // The line is full and ends in the lead byte of a character: its trail byte
        // joins it there, anything else starts the next line.
        console->wrap_held = 0;
        if (b != BS) {
            if (is_trail_byte(b)) {
                text[console->used++] = b;
                return start_line(console);
            }
            discarded = start_line(console);
        }
    }
    for (;;) {
        const std::uint32_t len = console->used - console->line_starts[console->last_line];
        if (b == BS) {
            if (len == 0) return discarded;
            if (console->used >= 2 && len > 1 && is_double_byte(text[console->used - 2], text[console->used - 1]))
                console->used -= 2;
            else
                console->used -= 1;
            return discarded;
        }
        text[console->used] = b;
        bool new_line;
        if (is_line_end(b)) {
            if (completes_pair(console, b, len)) {
                console->line_starts[console->last_line] = console->used + 1;
                new_line = false;
            } else {
                new_line = true;
            }
        } else {
            new_line = static_cast<std::int64_t>(len) >= column - 1;
            // A character is never split over two lines: its lead byte, the
            // column-th, keeps the line open for the trail byte.
            if (new_line && starts_character(console, console->used)) {
                console->wrap_held = 1;
                new_line = false;
            }
        }
        console->used += 1;
        if (!new_line) return discarded;
        if (console->last_line >= console->line_table_size - 1) {
            console_discard_front(console, 1);
            discarded = true;
            // Nothing could stay, this byte included: take it again as the first byte
            // of the empty buffer, so that the line starts keep increasing and the
            // byte is not lost.
            if (console->used == 0) continue;
        }
        console->last_line += 1;
        console->line_starts[console->last_line] = console->used;
        return discarded;
    }
}

static bool is_special(unsigned char b)
{
    return b == BS || b == CR || b == LF;
}

bool append_bytes(Buffer* console, const unsigned char* bytes, std::uint32_t length)
{
    if (!console_has_buffers(console) || !bytes || length == 0 || console->capacity == 0) return false;
    bool discarded = false;
    if (length > console->capacity) {
        console_clear_buffer(console);
        length = console->capacity;
        discarded = true;
    } else if (console->used + length >= console->capacity) {
        console_discard_front(console, length);
        discarded = true;
    }
    const std::int64_t column = console->column < 1 ? 1 : console->column;
    std::uint32_t k = 0;
    while (k < length) {
        if (is_special(bytes[k]) || console->wrap_held) {
            discarded |= store_byte(console, bytes[k], column);
            ++k;
            continue;
        }
        // A run of ordinary bytes up to the end of the line is copied in one go:
        // only its last byte can end the line.
        const std::uint32_t len = console->used - console->line_starts[console->last_line];
        std::int64_t room = column - static_cast<std::int64_t>(len);
        if (room < 1) room = 1;
        std::uint32_t limit = length - k;
        if (static_cast<std::int64_t>(limit) > room) limit = static_cast<std::uint32_t>(room);
        std::uint32_t run = 1;
        while (run < limit && !is_special(bytes[k + run])) ++run;
        bool ends_line = static_cast<std::int64_t>(len) + run >= column;
        if (ends_line && console->last_line >= console->line_table_size - 1) {
            // The line table is full: the byte that ends the line takes the careful way.
            if (run == 1) {
                discarded |= store_byte(console, bytes[k], column);
                ++k;
                continue;
            }
            run -= 1;
            ends_line = false;
        }
        std::memcpy(console->text + console->used, bytes + k, run);
        console->used += run;
        k += run;
        if (ends_line && starts_character(console, console->used - 1)) {
            console->wrap_held = 1;  // see store_byte
            ends_line = false;
        }
        if (ends_line) {
            console->last_line += 1;
            console->line_starts[console->last_line] = console->used;
        }
    }
    return discarded;
}

Buffer* make_buffer(std::uint32_t buffer_bytes, std::int32_t column)
{
    Buffer* buffer = new Buffer();
    buffer->line_table_size = 10000;
    buffer->column = column;
    buffer->capacity = buffer_bytes;
    buffer->text = static_cast<unsigned char*>(std::calloc(buffer_bytes, 1));
    buffer->line_starts = static_cast<std::uint32_t*>(std::calloc(buffer->line_table_size, sizeof(std::uint32_t)));
    return buffer;
}

void free_buffer(Buffer* buffer)
{
    std::free(buffer->text);
    std::free(buffer->line_starts);
    delete buffer;
}

}  // namespace before
