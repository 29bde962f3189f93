// The LINE input line: the up to 256 bytes the user edits before they are sent,
// with a cursor that never stands on the trail byte of a double-byte character.
// Portable; only the terminal window's thread touches the line, so no lock is taken.
#include <cstring>

#include "console/console.h"
#include "base/double_byte.h"

static void redraw(Console* console)
{
    if (console->hooks && console->hooks->invalidate) console->hooks->invalidate(console);
}

static bool double_byte_at(const ConsoleInputLine& line, int i)
{
    return is_double_byte(static_cast<unsigned char>(line.input_text[i]),
                          static_cast<unsigned char>(line.input_text[i + 1]));
}

// Removes count bytes at the cursor; the rest moves left and the line stays
// NUL-terminated.
static void delete_at_cursor(ConsoleInputLine& line, int count)
{
    int cursor = line.input_cursor;
    if (count > line.input_length - cursor) count = line.input_length - cursor;
    if (count <= 0) return;
    std::memmove(line.input_text + cursor, line.input_text + cursor + count,
                 static_cast<std::size_t>(line.input_length - cursor - count));
    line.input_length -= count;
    line.input_text[line.input_length] = '\0';
}

bool console_input_on_trail_byte(const Console* console, int position)
{
    if (!console) return false;
    const ConsoleInputLine& line = console->input;
    for (int i = 0; i < line.input_length - 1 && i <= position;) {
        if (double_byte_at(line, i)) {
            if (position == i + 1) return true;
            i += 2;
        } else {
            i += 1;
        }
    }
    return false;
}

void console_input_reset(Console* console)
{
    if (!console) return;
    ConsoleInputLine& line = console->input;
    line.input_cursor = 0;
    line.input_length = 0;
    line.input_first_column = 0;
    std::memset(line.input_text, 0, sizeof line.input_text);
    redraw(console);
}

void console_input_set(Console* console, const char* bytes, int length)
{
    if (!console) return;
    ConsoleInputLine& line = console->input;
    if (!bytes || length < 0) length = 0;
    if (length > CONSOLE_INPUT_MAX) length = CONSOLE_INPUT_MAX;
    std::memset(line.input_text, 0, sizeof line.input_text);
    if (length > 0) std::memcpy(line.input_text, bytes, static_cast<std::size_t>(length));
    line.input_length = length;
    line.input_cursor = length;
    // From the left edge: the paint scrolls the line on until the cursor shows.
    line.input_first_column = 0;
    redraw(console);
}

int console_input_insert(Console* console, const char* bytes, int length, int at_cursor)
{
    if (!console || !bytes || length <= 0) return 0;
    ConsoleInputLine& line = console->input;
    if (!at_cursor) line.input_cursor = line.input_length;
    if (length == 1 && bytes[0] == 0x08) {
        if (line.input_cursor > 0) {
            line.input_cursor -= 1;
            int count = 1;
            if (console_input_on_trail_byte(console, line.input_cursor)) {
                line.input_cursor -= 1;
                count = 2;
            }
            delete_at_cursor(line, count);
        }
        redraw(console);
        return 1;
    }
    int room = CONSOLE_INPUT_MAX - line.input_length;
    int n = length < room ? length : room;
    // What does not fit is cut before the character that would be split: half a
    // character sent to a device garbles what follows it too.
    if (n < length) n = whole_character_prefix(bytes, length, n);
    if (n > 0) {
        int cursor = line.input_cursor;
        std::memmove(line.input_text + cursor + n, line.input_text + cursor,
                     static_cast<std::size_t>(line.input_length - cursor));
        std::memcpy(line.input_text + cursor, bytes, static_cast<std::size_t>(n));
        line.input_length += n;
        line.input_text[line.input_length] = '\0';
        line.input_cursor += n;
    }
    redraw(console);
    return n;
}

void console_input_delete(Console* console)
{
    if (!console || console->input.input_cursor >= console->input.input_length) return;
    ConsoleInputLine& line = console->input;
    int cursor = line.input_cursor;
    int count = cursor < line.input_length - 1 && double_byte_at(line, cursor) ? 2 : 1;
    delete_at_cursor(line, count);
    redraw(console);
}

void console_input_move_cursor(Console* console, int step)
{
    if (!console || (step != -1 && step != 1)) return;
    ConsoleInputLine& line = console->input;
    if (step < 0 && line.input_cursor == 0) return;
    if (step > 0 && line.input_cursor >= line.input_length) return;
    line.input_cursor += step;
    if (console_input_on_trail_byte(console, line.input_cursor)) line.input_cursor += step;
    if (console->hooks && console->hooks->input_caret_moved)
        console->hooks->input_caret_moved(console);
    else
        redraw(console);
}

const char* console_input_text(const Console* console)
{
    return console ? console->input.input_text : nullptr;
}

int console_input_length(const Console* console)
{
    return console ? console->input.input_length : 0;
}
