// Velkaro on a serial port at the bench, beyond typing and reading: a device
// unplugged and plugged in again while the user types, with "auto reopen" on; DTR
// held off from the open, as for a board that resets on it. The
// program runs in a scratch folder with the bench's pty as COM5; the bench takes
// the pty pair away and makes a new one at the same path, as a USB adapter pulled
// and put back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

const char CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";           // 接続中
const char WAITING[] = "\x8d\xc4\x90\xda\x91\xb1\x91\xd2\x82\xbf";  // 再接続待ち

using SerialLinesEndToEnd = ComPortProgram;

TEST_F(SerialLinesEndToEnd, AnUnpluggedDeviceIsOpenedAgainWhileTheUserTypes)
{
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[com5]\r\nauto reopen=1\r\n"));
    Started program;
    HWND frame = nullptr;
    HWND terminal = open_com5(program, scratch.path(), &frame);
    ASSERT_NE(terminal, nullptr);
    post_text(terminal, "a");
    EXPECT_EQ(peer->read(1, 5000), "a");

    // Gone: the window stays and waits; what is typed meanwhile goes nowhere.
    peer.reset();
    ASSERT_TRUE(cut_com_port());
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == WAITING; }, 3000)) << status_text(frame, 1);
    post_text(terminal, "stale");
    Sleep(300);
    post_text(terminal, "old");

    // Back: opened again within two seconds, in the same window, and typing reaches
    // the new device with nothing of what was typed while it was away.
    ASSERT_TRUE(restore_com_port());
    DWORD back = GetTickCount();
    ASSERT_TRUE(wait_until([&] { return status_text(frame, 1) == CONNECTED; }, 5000)) << status_text(frame, 1);
    EXPECT_LT(GetTickCount() - back, 2000u);
    EXPECT_EQ(terminal_window(frame), terminal);
    peer.reset(new StreamEnd(windows_path(fixture_env("TAVEX_TEST_COM_PEER"))));
    ASSERT_TRUE(peer->is_open());
    post_text(terminal, "b");
    EXPECT_EQ(peer->read(1, 5000), "b");
    EXPECT_EQ(peer->read(1, 300), "");

    // Closing while it waits is at once.
    peer.reset();
    ASSERT_TRUE(cut_com_port());
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == WAITING; }, 3000));
    PostMessageA(terminal, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_until([&] { return terminal_window(frame) == nullptr; }, 1500));
    EXPECT_TRUE(restore_com_port());
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

// The output lines as the far end sees them: the bench's pty answers the modem-line
// requests and writes what the port set ("DTR RTS").
std::string output_lines()
{
    return read_file(windows_path(fixture_env("TAVEX_TEST_COM_MODEM_OUT")));
}

TEST_F(SerialLinesEndToEnd, DtrHeldOffFromTheOpenOnIsSeenAtTheFarEnd)
{
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[com5]\r\ndtr=0\r\n"));
    Started program;
    HWND frame = nullptr;
    HWND terminal = open_com5(program, scratch.path(), &frame);
    ASSERT_NE(terminal, nullptr);
    EXPECT_TRUE(wait_until([&] { return output_lines().find("RTS") != std::string::npos; }, 3000)) << output_lines();
    EXPECT_EQ(output_lines().find("DTR"), std::string::npos) << output_lines();
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

}  // namespace
