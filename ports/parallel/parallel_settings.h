// The receive settings of one LPT port and the row the program keeps for each of
// LPT1 to LPT16. Portable records; the UI thread owns the tables
// (parallel_port_win.cpp), the engine gets copies.
#pragma once
#include <cstdint>

struct ParallelSettings {
    std::uint32_t receive_interval;  // milliseconds between read attempts; below 50 counts as 50
    std::int32_t bidirectional;      // 0: the port only sends
};

// What a port without a settings section runs with, and "標準に戻す".
constexpr ParallelSettings PARALLEL_DEFAULT_SETTINGS = {50, 1};

constexpr int PARALLEL_PORT_COUNT = 16;

struct ParallelPortEntry {
    std::int32_t available;  // may be offered: present at start-up, or "valid" set
    std::int32_t changed;    // changed by the settings page, not yet applied to an open port
    ParallelSettings settings;
};
