// The ".tfk" format: writing one line, and reading lines byte by byte as the file
// delivers them. See function_keys.h for who owns what.
//
// Reading: line-end bytes before a line's first text byte are skipped (so CR LF and
// blank lines read as LF does), the next CR or LF ends the line, and 143 bytes end it
// too. A line "INDEX,TEXT" with INDEX 0 to 23 sets that key (12 to 23 are Shift+F1 to
// Shift+F12, after the twelve lines of F1 to F12, so that a program that knows only
// those reads the first twelve lines and stops at the thirteenth); an index outside
// 0 to 23 stops the reading. A line without a comma, or whose index is not a decimal
// number (an optional minus sign and digits, nothing else), is no key line: it is
// skipped and does not count among the keys, so a note or a stray line in a file
// edited by hand costs no key.
#include "terminal/function_keys.h"

#include <cstdio>
#include <cstring>

#include "base/double_byte.h"

int tfk_format_line(int index, const char* text, char* out)
{
    int length = 0;
    if (text) {
        while (length < FUNCTION_KEY_TEXT - 1 && text[length] != '\0') ++length;
    }
    int n = std::snprintf(out, TFK_LINE_BUFFER, "%d,%.*s\n", index, length, text ? text : "");
    return n < 0 ? 0 : (n >= TFK_LINE_BUFFER ? TFK_LINE_BUFFER - 1 : n);
}

void tfk_reader_start(TfkReader* reader, FunctionKeyStrings* strings)
{
    std::memset(reader, 0, sizeof *reader);
    reader->strings = strings;
    std::memset(*strings, 0, sizeof *strings);
}

// The index before the comma: -1 when it is no number, the value otherwise (held at
// 1000 once larger, which is outside the keys all the same).
static int line_index(const char* text, int length, bool* negative)
{
    int i = 0;
    *negative = length > 0 && text[0] == '-';
    if (*negative) ++i;
    if (i == length) return -1;
    int value = 0;
    for (; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
        if (value > 1000) value = 1000;
    }
    return value;
}

static void take_line(TfkReader* reader)
{
    const char* line = reader->line;
    const int length = reader->length;
    reader->length = 0;
    const char* comma = static_cast<const char*>(std::memchr(line, ',', static_cast<std::size_t>(length)));
    if (!comma) return;
    bool negative = false;
    const int index_length = static_cast<int>(comma - line);
    int index = line_index(line, index_length, &negative);
    if (index < 0) return;
    if ((negative && index != 0) || index >= FUNCTION_KEY_COUNT) {
        reader->stopped = true;
        return;
    }
    // Cut to 128 bytes before a character that would be split: half a character
    // would garble what the key sends after it.
    const char* text = comma + 1;
    const int text_length = length - index_length - 1;
    int kept = whole_character_prefix(text, text_length, FUNCTION_KEY_TEXT - 1);
    char* key = (*reader->strings)[index];
    std::memset(key, 0, FUNCTION_KEY_TEXT);
    std::memcpy(key, text, static_cast<std::size_t>(kept));
    if (++reader->lines == FUNCTION_KEY_COUNT) reader->stopped = true;
}

bool tfk_reader_feed(TfkReader* reader, const unsigned char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count && !reader->stopped; ++i) {
        const unsigned char b = bytes[i];
        if (b == '\r' || b == '\n') {
            if (reader->length > 0) take_line(reader);
            continue;
        }
        reader->line[reader->length++] = static_cast<char>(b);
        if (reader->length == TFK_LINE_MAX) take_line(reader);
    }
    return !reader->stopped;
}

void tfk_reader_finish(TfkReader* reader)
{
    if (!reader->stopped && reader->length > 0) take_line(reader);
}
