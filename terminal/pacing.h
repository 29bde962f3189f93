// Pacing: what is sent is slowed down for a device with a small buffer, by a pause
// after each byte ("char delay") and after each line end ("line delay"), both in
// milliseconds and 0 by default. This file decides what is sent when; the senders
// (terminal/paced_send_win.cpp, the file send's pieces) only wait as it says.
// Portable and pure.
#pragma once
#include <cstddef>
#include <cstdint>

struct Pacing {
    std::int32_t char_delay;  // ms after each byte
    std::int32_t line_delay;  // ms after each line end
};

// The largest delay a page or the settings file gives.
constexpr std::int32_t PACING_DELAY_MAX = 10000;

inline bool pacing_active(const Pacing& pacing)
{
    return pacing.char_delay > 0 || pacing.line_delay > 0;
}

// A value read from the settings file or typed into a page: a delay outside 0 to
// PACING_DELAY_MAX is read as 0 from the file; a field keeps `kept` for text that is
// not such a number (an empty field is 0).
std::int32_t pacing_usable(std::int32_t milliseconds);
std::int32_t pacing_field_value(const char* text, std::int32_t kept);

// The next piece of data[0, length) and the pause after it. With a char delay the
// piece is one byte, followed by the char delay, plus the line delay when the byte
// ends a line; with only a line delay, the bytes up to and including the next line
// end, followed by the line delay (all the rest and no pause when no line end comes);
// without pacing all of it. A line end is an LF, or a CR that no LF follows: CR LF
// is one line end, paused after its LF. A CR that is the last byte given counts as a
// line end (its LF, if it comes in the next piece of a file, pauses once more).
struct PacedPiece {
    std::size_t length;
    std::uint32_t delay_ms;
};
PacedPiece pacing_next_piece(const Pacing& pacing, const unsigned char* data, std::size_t length);
