// Time-stamped copies of the console's bytes and of received streams; see
// console_stamped.h. Portable.
#include "console/console_stamped.h"

#include "console/console_time.h"

static const unsigned char CR = 0x0D;
static const unsigned char LF = 0x0A;

static bool write_prefix(ConsoleTime time, StampedWrite write, void* context)
{
    char prefix[CONSOLE_STAMP_PREFIX_TEXT + 1];
    console_time_prefix_text(time, prefix);
    return write(context, reinterpret_cast<const unsigned char*>(prefix), CONSOLE_STAMP_PREFIX_TEXT);
}

bool console_write_stamped(const Console* console, std::uint32_t from, std::uint32_t to, StampedWrite write,
                           void* context)
{
    const std::uint32_t used = console_text_length(console);
    if (to > used) to = used;
    if (from >= to) return true;
    const unsigned char* text = console_text_at(console, 0);
    const std::uint32_t first = console_line_of_offset(console, from);
    for (std::uint32_t line = first; line <= console_last_line(console); ++line) {
        const std::uint32_t start = console_line_start(console, line);
        std::uint32_t end = console_line_end(console, line);
        if (start >= to) break;
        const std::uint32_t a = start > from ? start : from;
        if (end > to) end = to;
        const ConsoleLineInfo info = console_line_info(console, line);
        // Every line but a wrap's continuation; and the first piece always, so that a
        // range that starts inside a line still says when it came.
        const bool stamped = !info.continues || line == first;
        if (stamped && info.first_byte_time != CONSOLE_TIME_NONE && !write_prefix(info.first_byte_time, write, context))
            return false;
        if (end > a && !write(context, text + a, end - a)) return false;
    }
    return true;
}

void stamped_lines_after(StampedLines* lines, const unsigned char* bytes, std::size_t length)
{
    lines->state = STAMPED_AT_START;
    if (length == 0) return;
    const unsigned char last = bytes[length - 1];
    const unsigned char before = length > 1 ? bytes[length - 2] : 0;
    if (last == CR)
        lines->state = before == LF ? STAMPED_AT_START : STAMPED_AFTER_CR;
    else if (last == LF)
        lines->state = before == CR ? STAMPED_AT_START : STAMPED_AFTER_LF;
    else
        lines->state = STAMPED_IN_LINE;
}

bool stamped_lines_feed(StampedLines* lines, const unsigned char* bytes, std::size_t length, ConsoleTime time,
                        StampedWrite write, void* context)
{
    std::size_t run = 0;  // bytes [run, i) not yet written
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char b = bytes[i];
        std::int32_t& s = lines->state;
        if ((s == STAMPED_AFTER_CR && b == LF) || (s == STAMPED_AFTER_LF && b == CR)) {
            s = STAMPED_AT_START;  // the second byte of a pair ends the same line
            continue;
        }
        if (s != STAMPED_IN_LINE) {
            if (i > run && !write(context, bytes + run, i - run)) return false;
            run = i;
            if (!write_prefix(time, write, context)) return false;
        }
        s = b == CR ? STAMPED_AFTER_CR : b == LF ? STAMPED_AFTER_LF : STAMPED_IN_LINE;
    }
    return length <= run || write(context, bytes + run, length - run);
}
