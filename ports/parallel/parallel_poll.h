// The parallel engine's polling countdown: when the next read may start, counted in
// milliseconds from the tick differences the engine thread measures between its
// wake-ups (at least one every 50 ms). Portable; only the engine thread runs it.
#pragma once
#include <cstdint>

// The shortest interval between reads; smaller settings count as this.
constexpr std::uint32_t PARALLEL_MIN_INTERVAL = 50;

struct ParallelPoll {
    std::uint32_t receive_interval;  // as configured (below the minimum counts as it)
    std::int32_t bidirectional;      // 0: no read is ever started
    std::uint32_t poll_countdown;    // milliseconds left until the next read may start
};

// The interval the engine keeps: the given one, or the minimum when that is larger.
std::uint32_t parallel_interval(std::uint32_t interval);

// One poll, elapsed milliseconds after the last. True when a read is to start now
// (the caller starts it; the countdown already counts from it).
bool parallel_poll_step(ParallelPoll* poll, std::uint32_t elapsed, bool read_pending);
