// The parallel kind on the bench's LPT port: discovery and the "valid" key, the
// connect command with one port and with two, the warning box of a port that cannot
// be opened, the page of the communication-settings sheet driven through its
// controls with its change reaching an open port, a port whose far end goes away, a
// printer switched off and on again, and a driver that cannot read.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/comm_settings_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "ports/parallel/parallel_port_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char LONG_LPT2[] = "\xca\xdf\xd7\xda\xd9\xce\xdf\xb0\xc4\x20\x28\x4c\x50\x54\x32\x29";  // ﾊﾟﾗﾚﾙﾎﾟｰﾄ (LPT2)
const char CONNECT_CAPTION[] = "\x90\xda\x91\xb1\x20\x2d\x20\xca\xdf\xd7\xda\xd9\xce\xdf\xb0\xc4";  // 接続 - ﾊﾟﾗﾚﾙﾎﾟｰﾄ
const char OPEN_CAPTION[] = "\xca\xdf\xd7\xda\xd9\xce\xdf\xb0\xc4\xa5\xb5\xb0\xcc\xdf\xdd";  // ﾊﾟﾗﾚﾙﾎﾟｰﾄ･ｵｰﾌﾟﾝ
const char SHEET_CAPTION[] = "\x92\xca\x90\x4d\x8f\xf0\x8c\x8f\x82\xcc\x90\xdd\x92\xe8";  // 通信条件の設定

struct ParallelPortTest : ::testing::Test {
    ScratchDir scratch;
    TestFrame* test_frame = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(std::atoi(fixture_env("TAVEX_TEST_LPT").c_str()), 2) << "run under the test bench";
        InitCommonControls();
        test_frame = new TestFrame(nullptr, true);
        ASSERT_TRUE(test_frame->made);
        ASSERT_TRUE(settings_path_init());
    }
    void TearDown() override
    {
        delete test_frame;
        // A test that stopped half-way must leave the port's transfers working.
        fail_bench_transfers("LPT", "");
    }
    void enumerate(const std::string& ini = "")
    {
        if (!ini.empty()) {
            ASSERT_TRUE(write_file(scratch.file("tavex.ini"), ini));
        }
        EXPECT_EQ(parallel_enumerate_ports(OS_FAMILY_NT), 1);
    }
    Port* connect()
    {
        parallel_connect(app.frame_window);
        pump_messages();
        return find_active_port();
    }
};

TEST_F(ParallelPortTest, DiscoveryOffersTheDeclaredPortAndThoseMarkedValid)
{
    enumerate("[lpt7]\r\nvalid=1\r\nreceive times=1000\r\nbidi=0\r\n");
    for (int n = 1; n <= PARALLEL_PORT_COUNT; ++n) EXPECT_EQ(parallel_find_port(n) != nullptr, n == 2 || n == 7) << n;
    EXPECT_EQ(parallel_find_port(2)->settings.receive_interval, 50u);
    EXPECT_EQ(parallel_find_port(2)->settings.bidirectional, 1);
    EXPECT_EQ(parallel_find_port(7)->settings.receive_interval, 1000u);
    EXPECT_EQ(parallel_find_port(7)->settings.bidirectional, 0);
    EXPECT_EQ(parallel_find_port(17), nullptr);
    // The 98 family is not asked: LPT1 is offered, and what "valid" adds.
    parallel_enumerate_ports(OS_FAMILY_98);
    for (int n = 1; n <= PARALLEL_PORT_COUNT; ++n) EXPECT_EQ(parallel_find_port(n) != nullptr, n == 1 || n == 7) << n;
}

std::string box_text, first_line;

void read_and_close_box(HWND box)
{
    box_text = message_box_text(box);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void choose_second(HWND dialog)
{
    HWND list = GetDlgItem(dialog, 1001);
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    first_line = text;
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    drive_dialog(OPEN_CAPTION, read_and_close_box);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(ParallelPortTest, ConnectOpensTheOnlyPortAtOnceAndAsksAmongTwo)
{
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->kind, PORT_PARALLEL);
    EXPECT_STREQ(port->long_name(port), LONG_LPT2);
    EXPECT_STREQ(port->short_name(port), "LPT2");
    EXPECT_STREQ(parallel_long_name(nullptr), "");
    // Again while it is open: refused before any open is tried (the system does not
    // refuse a second open of every parallel port), and the one window stays.
    drive_dialog(OPEN_CAPTION, read_and_close_box);
    EXPECT_EQ(connect(), port);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(box_text, "LPT2 \x82\xcd\xb5\xb0\xcc\xdf\xdd\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1");
    EXPECT_EQ(open_port_count, 1);
    close_port(port);
    // LPT7 is offered but absent: chosen in the dialog, it cannot be opened.
    enumerate("[lpt7]\r\nvalid=1\r\n");
    drive_dialog(CONNECT_CAPTION, choose_second);
    parallel_connect(app.frame_window);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(first_line, LONG_LPT2);
    EXPECT_EQ(box_text, "LPT7 \x82\xcd\xb5\xb0\xcc\xdf\xdd\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1");  // はｵｰﾌﾟﾝ出来ません
    EXPECT_EQ(find_active_port(), nullptr);
}

std::string shown_interval;
int shown_bidi = -1;

std::string interval_text(HWND page)
{
    char text[16] = {};
    SendMessageA(GetDlgItem(page, 1012), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void click(HWND page, int id)
{
    HWND control = GetDlgItem(page, id);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Only the box: the interval the list has no line for stays as it was.
void untick_bidirectional(HWND sheet)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    shown_interval = interval_text(page);
    click(page, 1011);
    shown_bidi = IsDlgButtonChecked(page, 1011);
    PropSheet_PressButton(sheet, PSBTN_OK);
}

// "標準に戻す" shows the defaults at once; then "1sec" is chosen.
void restore_defaults_then_one_second(HWND sheet)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    click(page, 1008);
    shown_interval = interval_text(page);
    shown_bidi = IsDlgButtonChecked(page, 1011);
    HWND interval = GetDlgItem(page, 1012);
    SendMessageA(interval, CB_SETCURSEL, 4, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1012, CBN_SELCHANGE), reinterpret_cast<LPARAM>(interval));
    PropSheet_PressButton(sheet, PSBTN_OK);
}

TEST_F(ParallelPortTest, TheSheetsOkStoresTheRowAndItsOpenPortTakesIt)
{
    // 75 ms has no line in the list: it is shown as "50ms", but used and kept.
    enumerate("[lpt2]\r\nreceive times=75\r\n");
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    const ParallelEngine& engine = reinterpret_cast<ParallelPort*>(port)->engine;
    EXPECT_EQ(engine.receive_interval, 75);
    drive_dialog(SHEET_CAPTION, untick_bidirectional);
    comm_settings_sheet(app.frame_window);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(shown_interval, "50ms");
    EXPECT_EQ(shown_bidi, BST_UNCHECKED);
    EXPECT_EQ(settings_read_int("lpt2", "receive times", 0), 75);
    EXPECT_EQ(settings_read_int("lpt2", "bidi", -1), 0);
    // The frame passes the notice on to every open port.
    pump_messages();
    EXPECT_EQ(engine.receive_interval, 75);
    EXPECT_EQ(engine.bidirectional, 0);
    EXPECT_EQ(parallel_find_port(2)->changed, 0);

    drive_dialog(SHEET_CAPTION, restore_defaults_then_one_second);
    comm_settings_sheet(app.frame_window);
    EXPECT_EQ(shown_interval, "50ms");
    EXPECT_EQ(shown_bidi, BST_CHECKED);
    EXPECT_EQ(settings_read_int("lpt2", "receive times", 0), 1000);
    EXPECT_EQ(settings_read_int("lpt2", "bidi", -1), 1);
    pump_messages();
    EXPECT_EQ(engine.receive_interval, 1000);
    EXPECT_EQ(engine.bidirectional, 1);
}

TEST_F(ParallelPortTest, APortWhoseFarEndGoesAwayShowsNotConnectedAndCloses)
{
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    pump_messages();
    ASSERT_TRUE(cut_bench_port("LPT", true));
    EXPECT_TRUE(shows_not_connected(1000));
    EXPECT_EQ(port->connection_state, PORT_FAILING);
    // Typing is taken and tried again, to no avail here, and costs nothing but the
    // port's retries: the close is as prompt as ever.
    SendMessageA(window_of(port), WM_CHAR, 'x', 1);
    EXPECT_EQ(port->send.in_flight_length, 1);
    EXPECT_TRUE(port_is_open(port));
    DWORD start = GetTickCount();
    close_port(port);
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_TRUE(cut_bench_port("LPT", false));
}

const char CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";  // 接続中

// What arrives at the far end, handling messages meanwhile: the engine thread sets
// the status bar through this thread before it writes on.
std::string read_pumping(StreamEnd& far_end, size_t count)
{
    std::string got;
    wait_until(
        [&] {
            pump_messages();
            got += far_end.read(count - got.size(), 50);
            return got.size() >= count;
        },
        5000);
    return got;
}

bool shows_connected(DWORD timeout_ms)
{
    return wait_until(
        [] {
            pump_messages();
            return status_text(1) == CONNECTED;
        },
        timeout_ms);
}

// A printer switched off and on again, on a port that only sends: its failed write
// shows "通信不可", what is typed meanwhile is taken, and all of it goes out once the
// device takes writes again.
TEST_F(ParallelPortTest, APrinterSwitchedOffAndOnIsUsedAgainWithWhatWasTypedMeanwhile)
{
    enumerate("[lpt2]\r\nbidi=0\r\n");
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    StreamEnd far_end(windows_path(fixture_env("TAVEX_TEST_LPT_PEER")));
    ASSERT_TRUE(far_end.is_open());
    ASSERT_TRUE(fail_bench_transfers("LPT", "write"));
    SendMessageA(window_of(port), WM_CHAR, 'a', 1);
    EXPECT_TRUE(shows_not_connected(1000));
    EXPECT_EQ(port->connection_state, PORT_FAILING);
    SendMessageA(window_of(port), WM_CHAR, 'b', 1);
    EXPECT_TRUE(fail_bench_transfers("LPT", ""));
    EXPECT_EQ(read_pumping(far_end, 2), "ab");
    EXPECT_TRUE(shows_connected(1000));
    EXPECT_EQ(port->connection_state, PORT_CONNECTED);
    close_port(port);
}

// A driver that rejects every read of a bidirectional port: the port only sends, and
// is shown connected.
TEST_F(ParallelPortTest, ADriverWithoutReverseChannelLeavesThePortConnected)
{
    ASSERT_TRUE(fail_bench_transfers("LPT", "read"));
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    StreamEnd far_end(windows_path(fixture_env("TAVEX_TEST_LPT_PEER")));
    SendMessageA(window_of(port), WM_CHAR, 'x', 1);
    EXPECT_EQ(read_pumping(far_end, 1), "x");
    // Reads are tried every 50 ms: a few of them have been rejected by now.
    Sleep(300);
    pump_messages();
    EXPECT_EQ(port->connection_state, PORT_CONNECTED);
    EXPECT_EQ(status_text(1), CONNECTED);
    close_port(port);
    EXPECT_TRUE(fail_bench_transfers("LPT", ""));
}

}  // namespace
