// The LINE input line: the up to 256 bytes the user edits before they are sent,
// with a cursor that never stands on the trail byte of a double-byte character.
// Portable; only the terminal window's thread touches the line, so no lock is taken.
#include <cstring>

#include "console/console.h"
#include "console/double_byte.h"

static void redraw(Console* console)
{
    if (console->view && console->view->invalidate) console->view->invalidate(console);
}

static bool double_byte_at(const Console* console, int i)
{
    return is_double_byte(static_cast<unsigned char>(console->input_text[i]),
                          static_cast<unsigned char>(console->input_text[i + 1]));
}

// Removes count bytes at the cursor; the rest moves left and the line stays
// NUL-terminated.
static void delete_at_cursor(Console* console, int count)
{
    int cursor = console->input_cursor;
    if (count > console->input_length - cursor) count = console->input_length - cursor;
    if (count <= 0) return;
    std::memmove(console->input_text + cursor, console->input_text + cursor + count,
                 static_cast<std::size_t>(console->input_length - cursor - count));
    console->input_length -= count;
    console->input_text[console->input_length] = '\0';
}

bool console_input_on_trail_byte(const Console* console, int position)
{
    if (!console) return false;
    for (int i = 0; i < console->input_length - 1 && i <= position;) {
        if (double_byte_at(console, i)) {
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
    console->input_cursor = 0;
    console->input_length = 0;
    console->input_first_column = 0;
    std::memset(console->input_text, 0, sizeof console->input_text);
    redraw(console);
}

int console_input_insert(Console* console, const char* bytes, int length, int at_cursor)
{
    if (!console || !bytes || length <= 0) return 0;
    if (!at_cursor) console->input_cursor = console->input_length;
    if (length == 1 && bytes[0] == 0x08) {
        if (console->input_cursor > 0) {
            console->input_cursor -= 1;
            int count = 1;
            if (console_input_on_trail_byte(console, console->input_cursor)) {
                console->input_cursor -= 1;
                count = 2;
            }
            delete_at_cursor(console, count);
        }
        redraw(console);
        return 1;
    }
    int room = CONSOLE_INPUT_MAX - console->input_length;
    int n = length < room ? length : room;
    // What does not fit is cut before the character that would be split: half a
    // character sent to a device garbles what follows it too.
    if (n < length) n = whole_character_prefix(bytes, length, n);
    if (n > 0) {
        int cursor = console->input_cursor;
        std::memmove(console->input_text + cursor + n, console->input_text + cursor,
                     static_cast<std::size_t>(console->input_length - cursor));
        std::memcpy(console->input_text + cursor, bytes, static_cast<std::size_t>(n));
        console->input_length += n;
        console->input_text[console->input_length] = '\0';
        console->input_cursor += n;
    }
    redraw(console);
    return n;
}

void console_input_delete(Console* console)
{
    if (!console || console->input_cursor >= console->input_length) return;
    int cursor = console->input_cursor;
    int count = cursor < console->input_length - 1 && double_byte_at(console, cursor) ? 2 : 1;
    delete_at_cursor(console, count);
    redraw(console);
}

void console_input_move_cursor(Console* console, int step)
{
    if (!console || (step != -1 && step != 1)) return;
    if (step < 0 && console->input_cursor == 0) return;
    if (step > 0 && console->input_cursor >= console->input_length) return;
    console->input_cursor += step;
    if (console_input_on_trail_byte(console, console->input_cursor)) console->input_cursor += step;
    if (console->view && console->view->input_caret_moved)
        console->view->input_caret_moved(console);
    else
        redraw(console);
}

const char* console_input_text(const Console* console)
{
    return console ? console->input_text : nullptr;
}

int console_input_length(const Console* console)
{
    return console ? console->input_length : 0;
}
