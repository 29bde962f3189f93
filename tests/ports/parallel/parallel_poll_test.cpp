// The parallel engine's polling countdown, polled as its thread polls it: after every
// wake-up, with the milliseconds since the last. Each case lists when reads start.
#include <gtest/gtest.h>

#include <vector>

#include "ports/parallel/parallel_poll.h"

namespace {

struct PollCase {
    const char* what;
    std::uint32_t interval;
    std::int32_t bidirectional;
    std::uint32_t first_elapsed;  // the first poll's elapsed time
    std::uint32_t elapsed;        // every later poll's
    std::uint32_t until;          // polls up to this time
    std::uint32_t pending_until;  // a read started before this time is outstanding until it
    std::vector<std::uint32_t> reads;
};

std::vector<std::uint32_t> simulate(const PollCase& c, ParallelPoll* poll)
{
    *poll = ParallelPoll{c.interval, c.bidirectional, 0};
    std::vector<std::uint32_t> reads;
    std::uint32_t now = 0;
    for (std::uint32_t elapsed = c.first_elapsed; now + elapsed <= c.until; elapsed = c.elapsed) {
        now += elapsed;
        bool pending = !reads.empty() && reads.back() < c.pending_until && now < c.pending_until;
        if (parallel_poll_step(poll, elapsed, pending)) reads.push_back(now);
    }
    return reads;
}

TEST(ParallelPoll, ReadsStartAtTheIntervalCountedInMilliseconds)
{
    const PollCase cases[] = {
        {"1000 ms, polled every 50 ms", 1000, 1, 50, 50, 4000, 0, {50, 1000, 2000, 3000, 4000}},
        {"60000 ms: the next read a minute after the last started", 60000, 1, 50, 50, 125000, 0,
         {50, 60000, 120000}},
        {"0 counts as 50: a read at every poll", 0, 1, 50, 50, 250, 0, {50, 100, 150, 200, 250}},
        {"10 counts as 50", 10, 1, 50, 50, 200, 0, {50, 100, 150, 200}},
        {"50 ms with polls 51 ms apart still reads at every poll", 50, 1, 51, 51, 255, 0,
         {51, 102, 153, 204, 255}},
        {"polls a little late do not make the reads drift", 100, 1, 60, 60, 600, 0, {60, 120, 240, 300, 420, 540, 600}},
        {"a stall of several intervals makes up nothing", 1000, 1, 3500, 50, 5000, 0, {3500, 4000, 5000}},
        {"an outstanding read holds the next until it has ended, then reads at once", 200, 1, 50, 50, 1000, 520,
         {50, 550, 700, 900}},
        {"bidirectional off: no read", 50, 0, 50, 50, 1000, 0, {}},
    };
    for (const PollCase& c : cases) {
        ParallelPoll poll;
        EXPECT_EQ(simulate(c, &poll), c.reads) << c.what;
        if (!c.bidirectional) {
            EXPECT_EQ(poll.poll_countdown, 0u) << c.what;
        }
    }
}

TEST(ParallelPoll, SwitchingReceivingOffHoldsTheCountdownAtZero)
{
    ParallelPoll poll = {1000, 1, 0};
    ASSERT_TRUE(parallel_poll_step(&poll, 50, false));
    EXPECT_EQ(poll.poll_countdown, 950u);
    poll.bidirectional = 0;
    EXPECT_FALSE(parallel_poll_step(&poll, 50, false));
    EXPECT_EQ(poll.poll_countdown, 0u);
    poll.bidirectional = 1;  // switched on again: the next poll reads at once
    EXPECT_TRUE(parallel_poll_step(&poll, 50, false));
    EXPECT_EQ(parallel_interval(0), PARALLEL_MIN_INTERVAL);
    EXPECT_EQ(parallel_interval(60000), 60000u);
    EXPECT_FALSE(parallel_poll_step(nullptr, 50, false));
}

}  // namespace
