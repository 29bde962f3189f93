// The USB engine against the bench's device (\\.\tavexusb: PIPE00 and PIPE01, the two
// ends of a pty pair, so what is written to one is read from the other), found by
// its device name and by its interface class GUID through the setup API: the echo
// through both pipes, the single write slot, a pipe name that does not exist falling
// back to the other pipe, paths that cannot be had, the device going away while a
// read and while a write is outstanding, and the stop with both outstanding.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ports/usb/usb_engine_win.h"
#include "ports/usb/usb_guid.h"
#include "tests/ports/engine_owner_win.h"

namespace {

struct UsbEngineTest : ::testing::Test {
    std::string device, to_host, from_host, guid;
    EngineOwner owner;
    UsbEngine engine{};
    bool opened = false;

    void SetUp() override
    {
        device = fixture_env("TAVEX_TEST_USB_DEVICE");
        to_host = fixture_env("TAVEX_TEST_USB_TO_HOST");
        from_host = fixture_env("TAVEX_TEST_USB_FROM_HOST");
        guid = fixture_env("TAVEX_TEST_USB_GUID");
        ASSERT_FALSE(device.empty() || guid.empty()) << "run under the test bench";
    }
    void TearDown() override
    {
        if (opened) usb_stop(&engine);
        // What a test left in the pair must not reach the next one.
        for (const std::string& pipe : {to_host, from_host}) {
            StreamEnd end("\\\\.\\" + device + "\\" + pipe);
            while (!end.read(65536, 100).empty()) {
            }
        }
    }
    int open(const std::string& text, const std::string& input, const std::string& output)
    {
        UsbOpenParams params = {text.c_str(), input.c_str(), output.c_str(), owner.callbacks()};
        int result = usb_open(&engine, &params);
        opened = result == 0;
        return result;
    }
    int write(const std::string& bytes)
    {
        return usb_write(&engine, owner.keep(bytes),
                         static_cast<std::int32_t>(bytes.size()));
    }
    // Both pipes on the end whose other end nobody reads: a read waits for nothing,
    // and writes soon wait too.
    bool open_with_a_write_waiting()
    {
        return open(device, from_host, from_host) == 0 &&
               write_until_one_waits(owner, [&](const unsigned char* data, std::int32_t length) {
                   return usb_write(&engine, data, length) == 1;
               });
    }
};

TEST_F(UsbEngineTest, EchoesThroughBothPipesFoundByTheClassGuid)
{
    char path[260];
    UsbGuid parsed;
    ASSERT_EQ(parse_guid_text(guid.c_str(), &parsed), 1);
    GUID cls;
    memcpy(&cls, &parsed, sizeof cls);
    ASSERT_EQ(usb_find_device_path(&cls, path), 1);
    EXPECT_EQ(std::string(path).rfind("\\\\?\\", 0), 0u) << path;
    ASSERT_EQ(open("device " + guid, to_host, from_host), 0);
    // The state changes just before the owner is told: wait for both.
    EXPECT_TRUE(wait_until(
        [&] { return usb_state(&engine) == UsbOpen && owner.status_calls == 1; }, 1000));
    ASSERT_EQ(write("ping \x82\xa0"), 1);
    EXPECT_TRUE(owner.receives("ping \x82\xa0", 2000)) << owner.received_copy();
    // The echo can be read before the write's end is reported: both come from the
    // engine's one wait, in whichever order the events are seen.
    ASSERT_TRUE(wait_until([&] { return owner.reports() == 1; }, 2000));
    EXPECT_EQ(owner.sent_copy(), std::vector<std::int32_t>{7});
    EXPECT_EQ(usb_state(nullptr), 0);
}

TEST_F(UsbEngineTest, OneWriteAtATime)
{
    ASSERT_TRUE(open_with_a_write_waiting());
    EXPECT_EQ(write("second"), 0);
    EXPECT_EQ(write(""), 0);
    // The far end takes what waits: the slot is free again.
    StreamEnd far_end("\\\\.\\" + device + "\\" + to_host);
    while (!far_end.read(65536, 200).empty()) {
    }
    EXPECT_TRUE(wait_until([&] { return write("next") == 1; }, 5000));
}

TEST_F(UsbEngineTest, APipeThatDoesNotExistLeavesTheOtherForBothWays)
{
    // No output pipe: writes go through the input pipe, and come out of the other end.
    ASSERT_EQ(open(device, to_host, "PIPE99"), 0);
    EXPECT_EQ(engine.output_pipe, nullptr);
    StreamEnd other_end("\\\\.\\" + device + "\\" + from_host);
    ASSERT_EQ(write("via input"), 1);
    EXPECT_EQ(other_end.read(9), "via input");
    ASSERT_TRUE(other_end.write("to host"));
    EXPECT_TRUE(owner.receives("to host", 2000));
}

TEST_F(UsbEngineTest, NoPresentDeviceOrAPathTooLongIsRefused)
{
    EXPECT_EQ(open("{00000000-1111-2222-3333-444444444444}", to_host, from_host), -1);
    EXPECT_EQ(open("nodevice", to_host, from_host), -1);
    // The prefix, a 250-byte name, a backslash and a 9-byte pipe name: 264 bytes.
    EXPECT_EQ(open(std::string(250, 'x'), "PIPE00000", "PIPE00000"), -1);
    UsbOpenParams none = {nullptr, "", "", owner.callbacks()};
    EXPECT_EQ(usb_open(&engine, &none), -1);
    EXPECT_EQ(owner.status_calls, 0);
}

TEST_F(UsbEngineTest, TheDeviceGoingAwayWithAReadOutstandingFailsTheEngine)
{
    ASSERT_EQ(open(device, to_host, from_host), 0);
    ASSERT_TRUE(wait_until([&] { return usb_state(&engine) == UsbOpen; }, 1000));
    ASSERT_TRUE(cut_bench_port("USB", true));
    DWORD cut = GetTickCount();
    EXPECT_TRUE(wait_until(
        [&] { return usb_state(&engine) == UsbFailed && owner.status_calls == 2; }, 1000));
    EXPECT_LT(GetTickCount() - cut, 1000u);
    EXPECT_EQ(write("late"), 0);
    usb_stop(&engine);
    opened = false;
    EXPECT_TRUE(cut_bench_port("USB", false));
}

TEST_F(UsbEngineTest, TheDeviceGoingAwayWithAWriteInFlightReportsItAndFails)
{
    ASSERT_TRUE(open_with_a_write_waiting());
    size_t before = owner.reports();
    ASSERT_TRUE(cut_bench_port("USB", true));
    EXPECT_TRUE(wait_until([&] { return usb_state(&engine) == UsbFailed; }, 1000));
    ASSERT_TRUE(wait_until([&] { return owner.reports() > before; }, 1000));
    EXPECT_EQ(owner.sent_copy().back(), 0);
    usb_stop(&engine);
    opened = false;
    EXPECT_TRUE(cut_bench_port("USB", false));
}

TEST_F(UsbEngineTest, StopEndsTheOutstandingReadAndWriteBeforeReleasing)
{
    ASSERT_TRUE(open_with_a_write_waiting());
    DWORD start = GetTickCount();
    usb_stop(&engine);
    opened = false;
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(engine.core.abandoned);
    EXPECT_TRUE(HasOverlappedIoCompleted(&engine.core.read_overlapped));
    EXPECT_TRUE(HasOverlappedIoCompleted(&engine.core.write_overlapped));
    EXPECT_EQ(engine.input_pipe, nullptr);
    EXPECT_EQ(engine.core.rx_buffer, nullptr);
}

}  // namespace
