// The ".tfk" function-key file as bytes: the lines "%d,%s\n" the program writes (24:
// F1 to F12, then Shift+F1 to Shift+F12), and the reader that takes a file's bytes in
// pieces as they are read.
// Portable; the caller (function_keys_win.cpp) owns the file and the strings, and
// runs on the UI thread.
#pragma once
#include <cstddef>

#include "terminal/display_settings.h"

typedef char FunctionKeyStrings[FUNCTION_KEY_COUNT][FUNCTION_KEY_TEXT];

// One line as written: index, comma, the string (at most 128 bytes) and LF. out
// holds TFK_LINE_BUFFER bytes; returns the length (no NUL is counted).
constexpr int TFK_LINE_BUFFER = 2 + 1 + (FUNCTION_KEY_TEXT - 1) + 1 + 1;
int tfk_format_line(int index, const char* text, char* out);

// A line holds at most this many bytes; a longer one goes on as the next line.
constexpr int TFK_LINE_MAX = 143;

struct TfkReader {
    FunctionKeyStrings* strings;
    char line[TFK_LINE_MAX];
    int length;     // bytes in line
    int lines;      // lines taken (of at most FUNCTION_KEY_COUNT)
    bool stopped;   // as many lines as keys taken, or an index outside the keys
};

// Clears all the strings: a file that opens replaces all of them, so a file of
// twelve lines leaves the second bank empty.
void tfk_reader_start(TfkReader* reader, FunctionKeyStrings* strings);
// Takes the next bytes of the file. Returns false once reading has stopped; the rest
// of the file need not be read.
bool tfk_reader_feed(TfkReader* reader, const unsigned char* bytes, std::size_t count);
// The end of the file ends the line under way.
void tfk_reader_finish(TfkReader* reader);
