// The console's bytes with each line's arrival time before it, as the receive log
// and a saved console write them when asked: "[yyyy-mm-dd hh:mm:ss.mmm] " at the
// start of every line, a wrapped line's continuation being part of its line.
// Portable. The pieces go to a writer the caller gives; nothing is held between
// calls but the StampedLines state.
#pragma once
#include <cstddef>
#include <cstdint>

#include "console/console.h"
#include "console/console_find.h"

typedef bool (*StampedWrite)(void* context, const unsigned char* bytes, std::size_t length);

// Writes bytes [from, to) of the text, each line's time before the first of its
// bytes in the range. The caller holds console_mutex. False when the writer failed.
bool console_write_stamped(const Console* console, std::uint32_t from, std::uint32_t to, StampedWrite write,
                           void* context);

// The same for a stream of received bytes (the log), which arrive in chunks: a line
// starts after a CR or LF (a CR LF or LF CR pair ending one line, as the console
// pairs them), and takes the time of the chunk that brings its first byte.
struct StampedLines {
    std::int32_t state;  // STAMPED_AT_START, STAMPED_IN_LINE, STAMPED_AFTER_CR, STAMPED_AFTER_LF
};
enum StampedLineState {
    STAMPED_AT_START = 0,
    STAMPED_IN_LINE = 1,
    STAMPED_AFTER_CR = 2,
    STAMPED_AFTER_LF = 3,
};

// The state after bytes already written (say the console's text before a log):
// at the start when none were.
void stamped_lines_after(StampedLines* lines, const unsigned char* bytes, std::size_t length);
bool stamped_lines_feed(StampedLines* lines, const unsigned char* bytes, std::size_t length, ConsoleTime time,
                        StampedWrite write, void* context);
