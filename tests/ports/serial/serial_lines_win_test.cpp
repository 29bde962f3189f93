// The active serial port's modem lines on the bench's COM port, whose far end is the
// shim's pair of files: the inputs shown in the status bar's fifth part soon after the
// far end changes them, DTR toggled by its command with the check mark following
// the line, RTS grayed where the flow control drives it, and a Break that reaches
// the device without holding up the window's thread.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "base/app_record_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "base/status_bar_win.h"
#include "ports/serial/serial_port_win.h"
#include "resources/commands.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

bool ends_with(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(SerialLines, TheInputsAreShownAndTheOutputsAndBreakAreDriven)
{
    ScratchDir scratch;
    const std::string modem_in = windows_path(fixture_env("TAVEX_TEST_COM_MODEM_IN"));
    const std::string modem_out = windows_path(fixture_env("TAVEX_TEST_COM_MODEM_OUT"));
    ASSERT_FALSE(fixture_env("TAVEX_TEST_COM_MODEM_IN").empty()) << "run under the test bench";
    ASSERT_TRUE(write_file(modem_in, ""));
    InitCommonControls();
    TestFrame frame(nullptr, true);
    ASSERT_TRUE(frame.made);
    ASSERT_TRUE(settings_path_init());
    // CTS flow control: RTS is the driver's.
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[com5]\r\nflow control=3\r\n"));
    ASSERT_EQ(serial_enumerate_ports(OS_FAMILY_NT), 1);
    serial_connect(app.frame_window);
    Port* port = find_active_port();
    ASSERT_NE(port, nullptr);
    auto shows = [&](const char* lines) {
        return wait_until(
            [&] {
                pump_messages();
                return ends_with(status_text(STATUS_COUNTERS), lines);
            },
            3000);
    };
    EXPECT_TRUE(shows("CTS:0 DSR:0 DCD:0 RI:0")) << status_text(STATUS_COUNTERS);
    ASSERT_TRUE(write_file(modem_in, "CTS DCD"));
    EXPECT_TRUE(shows("CTS:1 DSR:0 DCD:1 RI:0")) << status_text(STATUS_COUNTERS);

    HMENU menu = GetMenu(app.frame_window);
    EXPECT_EQ(GetMenuState(menu, CMD_DTR, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED), UINT(MF_CHECKED));
    EXPECT_NE(GetMenuState(menu, CMD_RTS, MF_BYCOMMAND) & MF_GRAYED, 0u);
    SendMessageA(app.frame_window, WM_COMMAND, CMD_DTR, 0);
    EXPECT_TRUE(wait_until([&] { return read_file(modem_out).find("DTR") == std::string::npos; }, 2000))
        << read_file(modem_out);
    EXPECT_EQ(GetMenuState(menu, CMD_DTR, MF_BYCOMMAND) & MF_CHECKED, 0u);

    DWORD start = GetTickCount();
    SendMessageA(app.frame_window, WM_COMMAND, CMD_SEND_BREAK, 0);
    EXPECT_LT(GetTickCount() - start, 250u);  // the Break's own length: the thread never waits it out
    EXPECT_TRUE(wait_until(
        [&] {
            pump_messages();
            return read_file(modem_out).find("BREAKS=1") != std::string::npos;
        },
        2000))
        << read_file(modem_out);
    Sleep(300);
    pump_messages();  // the break's end
    close_port(port);
    write_file(modem_in, "");
}

}  // namespace
