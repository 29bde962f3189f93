// The serial kind on the bench's COM port: discovery and the "valid" key, the
// settings file, the connect command with one and with two ports, the warning box of
// a port that cannot be opened, applying changed settings to an open port, a port
// with line settings of its own, and the communication-settings sheet's serial page
// driven through its controls.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/comm_settings_win.h"
#include "base/app_record_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "ports/serial/serial_port_win.h"
#include "terminal/port_kind_registry_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char LONG_COM5[] = "\xbc\xd8\xb1\xd9\xce\xdf\xb0\xc4\x20\x28\x43\x4f\x4d\x35\x29";  // ｼﾘｱﾙﾎﾟｰﾄ (COM5)
const char LONG_COM7[] = "\xbc\xd8\xb1\xd9\xce\xdf\xb0\xc4\x20\x28\x43\x4f\x4d\x37\x29";
const char CONNECT_CAPTION[] = "\x90\xda\x91\xb1\x20\x2d\x20\xbc\xd8\xb1\xd9\xce\xdf\xb0\xc4";  // 接続 - ｼﾘｱﾙﾎﾟｰﾄ
const char OPEN_CAPTION[] = "\xbc\xd8\xb1\xd9\xce\xdf\xb0\xc4\xa5\xb5\xb0\xcc\xdf\xdd";  // ｼﾘｱﾙﾎﾟｰﾄ･ｵｰﾌﾟﾝ
const char SHEET_CAPTION[] = "\x92\xca\x90\x4d\x8f\xf0\x8c\x8f\x82\xcc\x90\xdd\x92\xe8";  // 通信条件の設定

struct SerialPortTest : ::testing::Test {
    ScratchDir scratch;
    int number = 0;
    TestFrame* test_frame = nullptr;
    HWND frame = nullptr;

    void SetUp() override
    {
        number = std::atoi(fixture_env("TAVEX_TEST_COM").c_str());
        ASSERT_EQ(number, 5) << "run under the test bench";
        InitCommonControls();
        test_frame = new TestFrame();
        ASSERT_TRUE(test_frame->made);
        frame = app.frame_window;
        ASSERT_TRUE(settings_path_init());
    }
    void TearDown() override
    {
        delete test_frame;
    }
    void enumerate(const std::string& ini = "")
    {
        if (!ini.empty()) {
            ASSERT_TRUE(write_file(scratch.file("tavex.ini"), ini));
        }
        EXPECT_EQ(serial_enumerate_ports(OS_FAMILY_NT), 1);
    }
    // Command 101; the port it opened, if any.
    Port* connect()
    {
        serial_connect(app.frame_window);
        pump_messages();
        return find_active_port();
    }
    bool posted_settings_changed()
    {
        MSG msg;
        bool any = false;
        while (PeekMessageA(&msg, frame, MSG_PORT_SETTINGS_CHANGED, MSG_PORT_SETTINGS_CHANGED, PM_REMOVE))
            any = any || (msg.wParam == PORT_SERIAL && msg.lParam == 0);
        return any;
    }
};

TEST_F(SerialPortTest, DiscoveryOffersTheDeclaredPortWithDefaults)
{
    enumerate();
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) EXPECT_EQ(serial_find_port(n) != nullptr, n == number) << n;
    const SerialSettings& s = serial_find_port(number)->settings;
    EXPECT_TRUE(serial_settings_equal(s, SERIAL_DEFAULT_SETTINGS));
    EXPECT_EQ(serial_find_port(0), nullptr);
    EXPECT_EQ(serial_find_port(17), nullptr);
    // The 98 family is not asked: COM1 to COM4 are offered.
    serial_enumerate_ports(OS_FAMILY_98);
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) EXPECT_EQ(serial_find_port(n) != nullptr, n <= 4) << n;
}

TEST_F(SerialPortTest, ValidOffersAnAbsentPortAndNeverHidesAPresentOne)
{
    enumerate("[com7]\r\nvalid=1\r\nbaudrate=110\r\n[com5]\r\nvalid=0\r\nflow control=3\r\nbaudrate=-1\r\n");
    ASSERT_NE(serial_find_port(7), nullptr);
    EXPECT_EQ(serial_find_port(7)->settings.baudrate, 110);  // no line of the page, but a speed
    ASSERT_NE(serial_find_port(5), nullptr);
    EXPECT_EQ(serial_find_port(5)->settings.flow_control, 3);
    EXPECT_EQ(serial_find_port(5)->settings.baudrate, 9600);
    // Saving writes the available rows' six keys, never "valid".
    serial_save_settings();
    std::string ini = read_file(scratch.file("tavex.ini"));
    char value[16];
    settings_read_text("com5", "valid", value, sizeof value, "none");
    EXPECT_STREQ(value, "0");  // as the user left it
    EXPECT_EQ(settings_read_int("com7", "parity check", -1), 1);
    EXPECT_EQ(settings_read_int("com6", "baudrate", -1), -1);
    size_t valid_keys = 0;
    for (size_t at = ini.find("valid="); at != std::string::npos; at = ini.find("valid=", at + 1)) ++valid_keys;
    EXPECT_EQ(valid_keys, 2u);
}

TEST_F(SerialPortTest, ConnectWithOnePortOpensItAtOnce)
{
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->kind, PORT_SERIAL);
    EXPECT_EQ(port->connection_state, 1);
    EXPECT_STREQ(port->short_name(port), "COM5");
    EXPECT_STREQ(port->long_name(port), LONG_COM5);
    EXPECT_STREQ(serial_long_name(nullptr), "");
    EXPECT_STREQ(serial_short_name(nullptr), "");
    close_port(port);
}

// The device behind an open port goes away: within a second the port is shown not
// connected and takes no input; the window stays until the user closes it.
TEST_F(SerialPortTest, APortWhoseDeviceGoesAwayShowsNotConnected)
{
    delete test_frame;
    test_frame = new TestFrame(nullptr, true);
    ASSERT_TRUE(test_frame->made);
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    pump_messages();
    ASSERT_EQ(port->console.has_focus, 1);
    auto connection_text = [] {
        char text[32] = {};
        SendMessageA(app.status_bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    ASSERT_TRUE(cut_com_port());
    DWORD cut = GetTickCount();
    const std::string not_connected = "\x92\xca\x90\x4d\x95\x73\x89\xc2";  // 通信不可
    EXPECT_TRUE(wait_until(
        [&] {
            pump_messages();
            return connection_text() == not_connected;
        },
        1000));
    EXPECT_LT(GetTickCount() - cut, 1000u);
    EXPECT_NE(port->connection_state, 1);
    SendMessageA(static_cast<HWND>(port->console.window), WM_CHAR, 'x', 1);
    EXPECT_TRUE(port_is_open(port));
    EXPECT_TRUE(IsWindow(static_cast<HWND>(port->console.window)));
    DWORD start = GetTickCount();
    close_port(port);
    // Closing waits for the engine thread without a limit: a stuck thread shows as
    // seconds here. The bound leaves room for a loaded machine (1.3 s seen at load 20).
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_TRUE(restore_com_port());
}

// A port whose device went away and came back is opened again in place: while the
// device is away the reopen fails and the port stays, not connected; once it is back
// the same window and console carry on, and bytes go both ways through the new
// engine.
TEST_F(SerialPortTest, AReopenedPortKeepsItsWindowAndConsole)
{
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    HWND window = static_cast<HWND>(port->console.window);
    auto console_shows = [&](const std::string& text) {
        return wait_until(
            [&] {
                pump_messages();
                return console_contents(port) == text;
            },
            2000);
    };
    {
        StreamEnd far_end(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
        ASSERT_TRUE(far_end.write("before"));
        ASSERT_TRUE(console_shows("before"));
    }
    ASSERT_TRUE(cut_com_port());
    ASSERT_TRUE(wait_until([&] { return port->status.state == PORT_LOST; }, 1000));
    EXPECT_EQ(port->status.reason, PORT_REASON_DEVICE_GONE);
    EXPECT_FALSE(port_reopen(port));
    EXPECT_TRUE(port_is_open(port));
    EXPECT_EQ(port->connection_state, PORT_NOT_CONNECTED);
    ASSERT_TRUE(restore_com_port());
    ASSERT_TRUE(port_reopen(port));
    EXPECT_EQ(port->status.state, PORT_CONNECTED);
    EXPECT_EQ(static_cast<HWND>(port->console.window), window);
    StreamEnd far_end(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
    ASSERT_TRUE(far_end.write(" after"));
    EXPECT_TRUE(console_shows("before after"));
    const unsigned char typed[] = "y";
    EXPECT_EQ(port_send(port, typed, 1, nullptr), 1);
    EXPECT_EQ(far_end.read(1), "y");
    close_port(port);
}

std::string first_entry, second_entry;
int selected_line = -2;

void pick_first(HWND dialog)
{
    HWND list = GetDlgItem(dialog, 1001);
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    first_entry = text;
    SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    second_entry = text;
    selected_line = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(SerialPortTest, ConnectWithTwoPortsAsksWhichInAscendingOrder)
{
    enumerate("[com7]\r\nvalid=1\r\n");
    drive_dialog(CONNECT_CAPTION, pick_first);
    Port* port = connect();
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(first_entry, LONG_COM5);
    EXPECT_EQ(second_entry, LONG_COM7);
    EXPECT_EQ(selected_line, 0);
    ASSERT_NE(port, nullptr);
    EXPECT_STREQ(port->short_name(port), "COM5");
}

std::string box_text;

void read_and_close_box(HWND box)
{
    box_text = message_box_text(box);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(SerialPortTest, APortThatCannotOpenOrIsOpenShowsTheWarning)
{
    enumerate("[com7]\r\nvalid=1\r\n");
    int absent = 7;
    drive_dialog(OPEN_CAPTION, read_and_close_box);
    EXPECT_EQ(create_port(PORT_SERIAL, &absent), nullptr);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(box_text, "\x43\x4f\x4d\x37\x20\x82\xcd\xb5\xb0\xcc\xdf\xdd\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1");
    int unknown = 17;
    drive_dialog(OPEN_CAPTION, read_and_close_box);
    EXPECT_EQ(serial_port_create(frame, &unknown), nullptr);
    EXPECT_TRUE(dialog_was_driven());
    EXPECT_EQ(box_text.substr(0, 6), "COM17 ");
    // A port open in this program is refused as such, and goes on working.
    int five = 5;
    Port* open = create_port(PORT_SERIAL, &five);
    ASSERT_NE(open, nullptr);
    drive_dialog(OPEN_CAPTION, read_and_close_box);
    EXPECT_EQ(create_port(PORT_SERIAL, &five), nullptr);
    EXPECT_TRUE(dialog_was_driven());
    EXPECT_EQ(box_text, "\x43\x4f\x4d\x35\x20\x82\xcd\xb5\xb0\xcc\xdf\xdd\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1");
    EXPECT_EQ(open_port_count, 1);
    StreamEnd far_end(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
    EXPECT_EQ(port_send(open, reinterpret_cast<const unsigned char*>("x"), 1, nullptr), 1);
    EXPECT_EQ(far_end.read(1), "x");
    close_port(open);
}

TEST_F(SerialPortTest, AChangedRowIsAppliedToItsOpenPortOnce)
{
    enumerate();
    Port* port = connect();
    ASSERT_NE(port, nullptr);
    SerialPortEntry* row = serial_find_port(number);
    row->settings.baudrate = 38400;
    serial_apply_settings(port);  // not marked: nothing happens
    HANDLE device = reinterpret_cast<SerialPort*>(port)->engine.device;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(device, &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    row->changed = 1;
    serial_apply_settings(port);
    ASSERT_TRUE(GetCommState(device, &dcb));
    EXPECT_EQ(dcb.BaudRate, 38400u);
    EXPECT_EQ(row->changed, 0);
}

void choose_38400_untick_and_ok(HWND sheet)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND speeds = GetDlgItem(page, 1002);
    char shown[16] = {};
    SendMessageA(speeds, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
    box_text = shown;  // what the speed field shows before the change
    // Text that is no speed is refused on leaving the field: it shows the speed again.
    SendMessageA(speeds, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("4000001"));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1002, CBN_KILLFOCUS), reinterpret_cast<LPARAM>(speeds));
    SendMessageA(speeds, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
    box_text += std::string("/") + shown;
    SendMessageA(speeds, CB_SETCURSEL, 7, 0);  // "38400"
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1002, CBN_SELCHANGE), reinterpret_cast<LPARAM>(speeds));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1007, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1007)));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1030, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1030)));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1031, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1031)));
    PropSheet_PressButton(sheet, PSBTN_OK);
}

void press_cancel(HWND sheet)
{
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
}

// A COM port named with line settings of its own (on the command line) opens with
// them laid over its row's, leaves the row as it is, and gives way to its row once
// that is changed in the sheet. (Wine's driver for a pty offers only 8 data bits and
// no parity: the speed is what shows.)
TEST_F(SerialPortTest, LineSettingsOfItsOwnOpenThePortUntilItsRowChanges)
{
    enumerate();
    serial_register_kind();
    Port* port = port_kinds_open(PortRequest{PORT_SERIAL, number, nullptr, 0, 0, 57600, 7, 2, -1});
    ASSERT_NE(port, nullptr);
    HANDLE device = reinterpret_cast<SerialPort*>(port)->engine.device;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(device, &dcb));
    EXPECT_EQ(dcb.BaudRate, 57600u);
    SerialPortEntry* row = serial_find_port(number);
    EXPECT_EQ(row->settings.baudrate, 9600);
    EXPECT_EQ(row->settings.data_bits, 8);
    row->changed = 1;
    serial_apply_settings(port);
    ASSERT_TRUE(GetCommState(device, &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    close_port(port);
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

TEST_F(SerialPortTest, TheSheetsOkCommitsWritesAndTellsTheOpenPorts)
{
    enumerate("[com5]\r\nbaudrate=110\r\n");
    drive_dialog(SHEET_CAPTION, choose_38400_untick_and_ok);
    comm_settings_sheet(frame);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(box_text, "110/110");  // a speed without a line shows as its number
    const SerialPortEntry* row = serial_find_port(number);
    EXPECT_EQ(row->settings.baudrate, 38400);
    EXPECT_EQ(row->settings.parity_check, 0);
    EXPECT_EQ(row->changed, 1);
    EXPECT_EQ(settings_read_int("com5", "baudrate", 0), 38400);
    EXPECT_EQ(settings_read_int("com5", "parity check", -1), 0);
    EXPECT_EQ(settings_read_int("com5", "auto reopen", -1), 1);
    EXPECT_EQ(settings_read_int("com5", "dtr", -1), 0);
    EXPECT_EQ(settings_read_int("com5", "rts", -1), 1);
    EXPECT_TRUE(posted_settings_changed());
    // Cancel changes nothing, but the row still waiting to be applied is announced again.
    DeleteFileA(scratch.file("tavex.ini").c_str());
    drive_dialog(SHEET_CAPTION, press_cancel);
    comm_settings_sheet(frame);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(row->settings.baudrate, 38400);
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
    EXPECT_TRUE(posted_settings_changed());
}

// The delay fields show the stored pacing (a value out of range as 0) and OK keeps
// what they were given, a field without a number keeping its value.
void set_delays_and_ok(HWND sheet)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    char shown[16] = {}, line[16] = {};
    GetDlgItemTextA(page, 1095, shown, sizeof shown);
    GetDlgItemTextA(page, 1096, line, sizeof line);
    box_text = std::string(shown) + "/" + line;
    SetDlgItemTextA(page, 1095, "12");
    SetDlgItemTextA(page, 1096, "x");
    PropSheet_PressButton(sheet, PSBTN_OK);
}

TEST_F(SerialPortTest, ThePacingFieldsShowAndKeepThePortsDelays)
{
    enumerate("[com5]\r\nchar delay=7\r\nline delay=99999\r\n");
    drive_dialog(SHEET_CAPTION, set_delays_and_ok);
    comm_settings_sheet(frame);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(box_text, "7/0");
    EXPECT_EQ(serial_pacing[number - 1].char_delay, 12);
    EXPECT_EQ(serial_pacing[number - 1].line_delay, 0);
    EXPECT_EQ(settings_read_int("com5", "char delay", 0), 12);
    EXPECT_EQ(settings_read_int("com5", "line delay", -1), 0);
    // Only the pacing changed: the line is not set up again.
    EXPECT_EQ(serial_find_port(number)->changed, 0);
}

TEST_F(SerialPortTest, OkWithNothingChangedWritesNothing)
{
    enumerate();
    drive_dialog(SHEET_CAPTION, [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_OK); });
    comm_settings_sheet(frame);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
    EXPECT_FALSE(posted_settings_changed());
}

}  // namespace
