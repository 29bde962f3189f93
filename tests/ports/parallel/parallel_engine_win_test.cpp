// The parallel engine against the bench's LPT port (a pty pair Wine takes for a
// plain character device, as Windows takes a parallel port): writes reaching the far
// end and the single write slot, a short burst received well within the interval,
// the receive switch, cancel, the stop with I/O outstanding, and ports that cannot be
// opened. The write slot and the stop protocol themselves are the engine core's.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ports/parallel/parallel_engine_win.h"
#include "tests/ports/engine_owner_win.h"

namespace {

struct ParallelEngineTest : ::testing::Test {
    int number = 0;
    EngineOwner owner;
    ParallelEngine engine{};
    bool opened = false;
    StreamEnd* far_end = nullptr;

    void SetUp() override
    {
        number = std::atoi(fixture_env("TAVEX_TEST_LPT").c_str());
        ASSERT_GT(number, 0) << "run under the test bench";
        far_end = new StreamEnd(windows_path(fixture_env("TAVEX_TEST_LPT_PEER")));
        ASSERT_TRUE(far_end->is_open());
    }
    void TearDown() override
    {
        if (opened) parallel_engine_stop(&engine);
        // Whatever a test left on either side must not reach the next one.
        while (!far_end->read(65536, 100).empty()) {
        }
        StreamEnd port("\\\\.\\LPT" + std::to_string(number));
        while (!port.read(65536, 100).empty()) {
        }
        delete far_end;
    }
    int open(ParallelSettings settings)
    {
        ParallelOpenParams params = {settings, owner.callbacks()};
        int result = parallel_engine_open(number, &engine, &params);
        opened = result == 0;
        return result;
    }
    int write(const std::string& bytes)
    {
        return parallel_engine_write(&engine, owner.keep(bytes),
                                     static_cast<std::int32_t>(bytes.size()));
    }
    bool fill_until_a_write_waits()
    {
        return write_until_one_waits(owner, [&](const unsigned char* data, std::int32_t length) {
            return parallel_engine_write(&engine, data, length) == 1;
        });
    }
};

TEST_F(ParallelEngineTest, WritesReachTheFarEndOneAtATime)
{
    ASSERT_EQ(open({50, 0}), 0);
    ASSERT_EQ(write("\x1B@print me\r\n"), 1);
    EXPECT_EQ(far_end->read(12), "\x1B@print me\r\n");
    ASSERT_TRUE(wait_until([&] { return owner.reports() == 1; }, 2000));
    EXPECT_EQ(owner.sent_copy()[0], 12);
    // A far end that takes nothing more: the write waiting for it keeps the slot.
    ASSERT_TRUE(fill_until_a_write_waits());
    EXPECT_EQ(write("second"), 0);
    EXPECT_EQ(write(""), 0);
    while (!far_end->read(65536, 200).empty()) {
    }
    ASSERT_TRUE(wait_until([&] { return write("next") == 1; }, 5000));
}

TEST_F(ParallelEngineTest, AShortBurstArrivesLongBeforeTheIntervalIsOver)
{
    ASSERT_EQ(open({1000, 1}), 0);
    Sleep(100);  // the first poll has started the read
    DWORD start = GetTickCount();
    ASSERT_TRUE(far_end->write("ACK"));
    EXPECT_TRUE(owner.receives("ACK", 2000));
    EXPECT_LT(GetTickCount() - start, 500u);
}

TEST_F(ParallelEngineTest, TheReceiveSwitchTakesEffectWithinAbout50Ms)
{
    ASSERT_EQ(open({50, 1}), 0);
    Sleep(100);
    ParallelSettings off = {50, 0};
    ASSERT_EQ(parallel_engine_configure(&engine, &off), 1);
    // The read already outstanding still ends with the next bytes; then none starts.
    ASSERT_TRUE(far_end->write("one"));
    ASSERT_TRUE(owner.receives("one", 2000));
    Sleep(100);
    ASSERT_TRUE(far_end->write("two"));
    Sleep(300);
    EXPECT_EQ(owner.received_copy(), "one");
    // Sending goes on meanwhile.
    ASSERT_EQ(write("out"), 1);
    EXPECT_EQ(far_end->read(3), "out");
    ParallelSettings on = {60000, 1};
    DWORD start = GetTickCount();
    ASSERT_EQ(parallel_engine_configure(&engine, &on), 1);
    EXPECT_TRUE(owner.receives("onetwo", 2000));
    EXPECT_LT(GetTickCount() - start, 250u);
}

TEST_F(ParallelEngineTest, CancelEndsTheWriteWithNothingAndReadingGoesOn)
{
    ASSERT_EQ(open({60000, 1}), 0);
    ASSERT_TRUE(fill_until_a_write_waits());
    size_t before = owner.reports();
    ASSERT_EQ(parallel_engine_cancel(&engine), 1);
    ASSERT_TRUE(wait_until([&] { return owner.reports() > before; }, 2000));
    EXPECT_EQ(owner.sent_copy().back(), 0);
    EXPECT_EQ(owner.received_copy(), "");
    // The far end takes what the full port had sent: the bench's relay between the two
    // ptys carries both ways on one thread, and while it waits to hand on the filling
    // bytes nothing goes the other way.
    while (!far_end->read(65536, 200).empty()) {
    }
    // The cancelled read starts again at once, not a minute later.
    ASSERT_TRUE(far_end->write("still here"));
    EXPECT_TRUE(owner.receives("still here", 2000));
    EXPECT_EQ(parallel_engine_cancel(nullptr), 0);
}

TEST_F(ParallelEngineTest, StopEndsTheOutstandingReadAndWriteBeforeReleasing)
{
    ASSERT_EQ(open({50, 1}), 0);
    ASSERT_TRUE(fill_until_a_write_waits());
    DWORD start = GetTickCount();
    parallel_engine_stop(&engine);
    opened = false;
    EXPECT_LT(GetTickCount() - start, 1000u);
    // No transfer still refers to the buffer or the request: both have ended.
    EXPECT_FALSE(engine.core.abandoned);
    EXPECT_TRUE(HasOverlappedIoCompleted(&engine.core.read_overlapped));
    EXPECT_TRUE(HasOverlappedIoCompleted(&engine.core.write_overlapped));
    EXPECT_EQ(engine.device, nullptr);
    EXPECT_EQ(engine.core.rx_buffer, nullptr);
}

TEST_F(ParallelEngineTest, PortsThatCannotBeOpenedLeaveNothingOpen)
{
    ParallelOpenParams params = {{50, 1}, owner.callbacks()};
    EXPECT_EQ(parallel_engine_open(7, &engine, &params), -1);  // not declared
    EXPECT_EQ(parallel_engine_open(0, &engine, &params), -1);
    params.callbacks.receive_buffer_size = 0;
    EXPECT_EQ(parallel_engine_open(number, &engine, &params), -1);
    EXPECT_EQ(parallel_engine_configure(nullptr, &params.settings), 0);
    // The port is free again: the failed opens kept nothing.
    ASSERT_EQ(open({50, 1}), 0);
}

}  // namespace
