// A 64-bit millisecond count from the system's 32-bit one, for Windows without
// GetTickCount64 (see base/tick_count_win.cpp). Portable: the Win32 side reads the
// clock and keeps the state; the widening is decided here.
#pragma once
#include <cstdint>

// The widened count for a new 32-bit reading, given the last widened count: the high
// half counts the 32-bit wraps, so a reading below the last one's low half means the
// count wrapped (every 49.7 days) since. Right as long as it is asked at least once
// between two wraps.
std::uint64_t tick_count_widen(std::uint64_t last, std::uint32_t now);
