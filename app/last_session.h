// The last session's records: each port's window place in the MDI client as the
// settings file keeps it, "left,top,right,bottom,shown". The ports themselves are
// kept as the command line names them (command_line.h). Portable and pure; the UI
// thread writes them at the end and reads them at the next start.
#pragma once
#include <cstddef>
#include <cstdint>

enum SessionShown {
    SESSION_SHOWN_NORMAL = 0,
    SESSION_SHOWN_MINIMIZED = 1,
    SESSION_SHOWN_MAXIMIZED = 2,
};

// A window's rectangle when neither minimized nor maximized, and how it is shown.
struct SessionPlace {
    std::int32_t left, top, right, bottom;
    std::int32_t shown;  // SessionShown
};

// Coordinates a window place may have: a text out of them is damage, not a place.
constexpr std::int32_t SESSION_COORDINATE_LIMIT = 32767;

// Reads "left,top,right,bottom,shown": five decimal numbers (a minus sign allowed on
// the coordinates), each coordinate within +-SESSION_COORDINATE_LIMIT, a rectangle
// that is not empty and a known SessionShown. False, out untouched, for anything else.
bool session_parse_place(const char* text, SessionPlace* out);
// The same text; false when it does not fit in size.
bool session_format_place(const SessionPlace& place, char* out, std::size_t size);
