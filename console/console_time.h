// A line's arrival time as text: "hh:mm:ss.mmm" in the view's gutter, and
// "[yyyy-mm-dd hh:mm:ss.mmm] " before a line in the receive log or a saved console.
// Portable and pure; the caller owns the buffers.
#pragma once
#include <cstddef>

#include "console/console_lines.h"

constexpr std::size_t CONSOLE_STAMP_TEXT = 12;        // "hh:mm:ss.mmm"
constexpr std::size_t CONSOLE_STAMP_PREFIX_TEXT = 26;  // "[yyyy-mm-dd hh:mm:ss.mmm] "

// out holds CONSOLE_STAMP_TEXT + 1 bytes.
void console_time_of_day_text(ConsoleTime time, char* out);
// out holds CONSOLE_STAMP_PREFIX_TEXT + 1 bytes.
void console_time_prefix_text(ConsoleTime time, char* out);
