// Receive taps: the order they see a chunk, the console's share, and attach and
// detach while another thread delivers, where no call may run once detach returns.
#include "terminal/receive_taps.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

struct Seen {
    std::string* order;
    char name;
    bool show;
    std::atomic<bool> detached{false};
    std::atomic<int> calls{0};
    std::atomic<int> late{0};  // calls that began or ended after detach returned
};

bool record(Port*, void* state, const unsigned char*, std::int32_t)
{
    auto* seen = static_cast<Seen*>(state);
    if (seen->detached) ++seen->late;
    if (seen->order) *seen->order += seen->name;
    ++seen->calls;
    std::this_thread::sleep_for(std::chrono::microseconds(50));  // widens a call in flight
    if (seen->detached) ++seen->late;
    return seen->show;
}

const unsigned char BYTE = 'x';

TEST(ReceiveTaps, CalledInTheirOrderAndAnyCanKeepTheChunkFromTheConsole)
{
    ReceiveTaps taps{};
    std::string order;
    Seen test{&order, 'T', false}, log{&order, 'L', true};
    EXPECT_TRUE(receive_taps_deliver(&taps, nullptr, &BYTE, 1));  // none: shown
    ASSERT_TRUE(receive_tap_attach(&taps, TAP_TEST, record, &test));
    ASSERT_TRUE(receive_tap_attach(&taps, TAP_RECEIVE_LOG, record, &log));
    EXPECT_FALSE(receive_tap_attach(&taps, TAP_RECEIVE_LOG, record, &test));  // taken
    EXPECT_FALSE(receive_taps_deliver(&taps, nullptr, &BYTE, 1));
    EXPECT_EQ(order, "LT");  // by place, not by the order of attaching
    EXPECT_EQ(receive_tap_state(&taps, TAP_RECEIVE_LOG), &log);
    EXPECT_EQ(receive_tap_detach(&taps, TAP_TEST), &test);
    EXPECT_EQ(receive_tap_detach(&taps, TAP_TEST), nullptr);
    EXPECT_TRUE(receive_taps_deliver(&taps, nullptr, &BYTE, 1));
    EXPECT_EQ(order, "LTL");
}

TEST(ReceiveTaps, NoCallRunsOnceDetachHasReturnedWhileDataFlows)
{
    ReceiveTaps taps{};
    std::atomic<bool> running{true};
    std::thread engine([&] {
        while (running) receive_taps_deliver(&taps, nullptr, &BYTE, 1);
    });
    Seen stays{nullptr, 'L', true};
    ASSERT_TRUE(receive_tap_attach(&taps, TAP_RECEIVE_LOG, record, &stays));
    for (int round = 0; round < 200; ++round) {
        Seen seen{nullptr, 'T', true};
        ASSERT_TRUE(receive_tap_attach(&taps, TAP_TEST, record, &seen));
        while (seen.calls == 0) std::this_thread::yield();
        ASSERT_EQ(receive_tap_detach(&taps, TAP_TEST), &seen);
        seen.detached = true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_EQ(seen.late, 0) << "round " << round;  // seen goes out of scope next
    }
    int before = stays.calls;
    while (stays.calls == before) std::this_thread::yield();  // the other tap went on
    running = false;
    engine.join();
}

}  // namespace
