// The USB kind: the list at start-up and the host-controller probe deciding command
// 104 and the page; the page of the communication-settings sheet driven through its
// controls, with its messages, and the list it saves; the connect dialog, the USB
// numbers and captions, the warning box; and a port whose device goes away.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/comm_settings_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "terminal/port_kind_registry_win.h"
#include "ports/usb/usb_port_win.h"
#include "resources/commands.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char CONNECT_CAPTION[] = "\x90\xda\x91\xb1\x20\x2d\x20\x55\x53\x42\xce\xdf\xb0\xc4";  // 接続 - USBﾎﾟｰﾄ
const char OPEN_CAPTION[] = "\x55\x53\x42\xce\xdf\xb0\xc4\xa5\xb5\xb0\xcc\xdf\xdd";        // USBﾎﾟｰﾄ･ｵｰﾌﾟﾝ
const char SHEET_CAPTION[] = "\x92\xca\x90\x4d\x8f\xf0\x8c\x8f\x82\xcc\x90\xdd\x92\xe8";  // 通信条件の設定
const char PAGE_CAPTION[] = "\x55\x53\x42\x90\xdd\x92\xe8";                              // USB設定
const char CANNOT_OPEN[] = " \x82\xcd\xb5\xb0\xcc\xdf\xdd\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1";  // はｵｰﾌﾟﾝ出来ません

struct UsbPortTest : ::testing::Test {
    ScratchDir scratch;
    TestFrame* test_frame = nullptr;
    std::string hcd;

    void SetUp() override
    {
        hcd = windows_path(fixture_env("TAVEX_TEST_HCD0"));
        ASSERT_FALSE(fixture_env("TAVEX_TEST_HCD0").empty()) << "run under the test bench";
        InitCommonControls();
        test_frame = new TestFrame(nullptr, true);
        ASSERT_TRUE(test_frame->made);
        ASSERT_TRUE(settings_path_init());
    }
    void TearDown() override
    {
        delete test_frame;
        DeleteFileA(hcd.c_str());
    }
    int start(const std::string& ini, bool host_controller)
    {
        if (!ini.empty()) {
            EXPECT_TRUE(write_file(scratch.file("tavex.ini"), ini));
        }
        if (host_controller)
            write_file(hcd, "");
        else
            DeleteFileA(hcd.c_str());
        return usb_startup();
    }
    std::string ini() { return read_file(scratch.file("tavex.ini")); }
};

const char LIST[] =
    "[usb]\r\ndevice name 1=Echo\r\nguid 1=tavexusb\r\ninput pipe 1=PIPE00\r\noutput pipe 1=PIPE01\r\n"
    "device name 2=No GUID\r\ndevice name 5=Gone\r\nguid 5=nodevice\r\nentry=9\r\n";

TEST_F(UsbPortTest, WithoutAHostControllerTheListIsKeptButNotOffered)
{
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), LIST));
    DeleteFileA(hcd.c_str());
    port_kinds_discover(OS_FAMILY_NT);
    EXPECT_EQ(usb_available, 0);
    EXPECT_NE(GetMenuState(GetMenu(app.frame_window), CMD_CONNECT_USB, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(usb_settings_page(app.frame_window), nullptr);
    EXPECT_STREQ(usb_device_table[4].name, "Gone");
    EXPECT_EQ(ini(), LIST);  // nothing was written
    // With one, the same list is offered; a save keeps the usable entries, renumbered.
    EXPECT_EQ(start("", true), 1);
    usb_save_settings();
    EXPECT_EQ(settings_read_int("usb", "entry", 0), 2);
    char text[64];
    settings_read_text("usb", "device name 2", text, sizeof text, "");
    EXPECT_STREQ(text, "Gone");
    EXPECT_EQ(ini().find("No GUID"), std::string::npos);
    EXPECT_EQ(ini().find("guid 5"), std::string::npos);
}

std::string message;

void read_and_close_box(HWND box)
{
    message = message_box_text(box);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Sets the page's four fields and clicks one of its buttons; a message it shows is
// read into `message` and closed.
void edit(HWND page, const char* name, const char* guid, int button)
{
    SetDlgItemTextA(page, 1016, name);
    SetDlgItemTextA(page, 1021, guid);
    SetDlgItemTextA(page, 1022, "PIPE00");
    SetDlgItemTextA(page, 1023, "PIPE01");
    message.clear();
    drive_dialog(PAGE_CAPTION, read_and_close_box);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, button)));
}

std::string field(HWND page, int id)
{
    char text[300] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

std::string page_log;

void run_the_page(HWND sheet)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND list = GetDlgItem(page, 1015);
    page_log = field(page, 1016) + "|";  // the first line's entry is shown
    edit(page, "", "x", 1017);
    page_log += message + "|";
    edit(page, "New", "", 1017);
    page_log += message + "|";
    edit(page, "New", "newdevice", 1017);
    page_log += std::to_string(SendMessageA(list, LB_GETCOUNT, 0, 0)) + "," +
                std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0)) + "|";
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1015, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    edit(page, "", "tavexusb", 1018);
    page_log += message + "," + field(page, 1016) + "|";  // the stored name comes back
    edit(page, "Echo", "", 1018);
    page_log += message + "," + field(page, 1021) + "|";
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1019, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1019)));
    page_log += field(page, 1016);  // the line that moved up into the deleted one's place
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1030, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1030)));
    PropSheet_PressButton(sheet, PSBTN_OK);
}

TEST_F(UsbPortTest, ThePageEditsTheListAndOkSavesIt)
{
    ASSERT_EQ(start(LIST, true), 1);
    drive_dialog(SHEET_CAPTION, run_the_page);
    comm_settings_sheet(app.frame_window);
    ASSERT_FALSE(page_log.empty());
    EXPECT_EQ(page_log,
              "Echo|"
              "[\x95\x5c\x8e\xa6\x96\xbc\x8f\xcc]\x82\xa8\x82\xe6\x82\xd1[GUID]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5"
              "\x82\xab\x82\xdc\x82\xb9\x82\xf1|"
              "[\x95\x5c\x8e\xa6\x96\xbc\x8f\xcc]\x82\xa8\x82\xe6\x82\xd1[GUID]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5"
              "\x82\xab\x82\xdc\x82\xb9\x82\xf1|"
              "4,3|"
              "[\x95\x5c\x8e\xa6\x96\xbc\x8f\xcc]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1,Echo|"
              "[GUID]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1,tavexusb|"
              "No GUID");
    // "New" took the first free slot (2), so the saved order is the slots' order.
    EXPECT_EQ(settings_read_int("usb", "entry", 0), 2);
    char text[64];
    settings_read_text("usb", "device name 1", text, sizeof text, "");
    EXPECT_STREQ(text, "New");
    settings_read_text("usb", "guid 2", text, sizeof text, "");
    EXPECT_STREQ(text, "nodevice");
    EXPECT_STREQ(usb_device_table[0].name, "No GUID");
    EXPECT_EQ(settings_read_int("usb", "auto reopen", 0), 1);  // "自動再接続" ticked
}

std::string listed;
int choose_line = 0;

void choose(HWND dialog)
{
    HWND list = GetDlgItem(dialog, 1001);
    listed.clear();
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char text[300] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        listed += std::string(text) + ";";
    }
    SendMessageA(list, LB_SETCURSEL, choose_line, 0);
    message.clear();
    drive_dialog(OPEN_CAPTION, read_and_close_box);  // in case the open fails
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

Port* connect(int line)
{
    choose_line = line;
    drive_dialog(CONNECT_CAPTION, choose);
    usb_connect(app.frame_window);
    pump_messages();
    return find_active_port();
}

std::string caption(Port* port)
{
    return window_text(window_of(port));
}

TEST_F(UsbPortTest, ConnectOffersTheUsableEntriesAndNumbersEveryOpen)
{
    // No entry with a name and a GUID: nothing at all happens.
    start("[usb]\r\ndevice name 1=No GUID\r\n", true);
    usb_connect(app.frame_window);
    EXPECT_EQ(find_active_port(), nullptr);
    ASSERT_EQ(start(LIST, true), 1);
    Port* first = connect(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(listed, "Echo;Gone;");
    EXPECT_EQ(caption(first), "Echo(USB1)");
    EXPECT_STREQ(first->short_name(first), "USB1");
    // The device echoes what is typed into the console.
    ASSERT_EQ(port_send(first, reinterpret_cast<const unsigned char*>("hi"), 2, nullptr), 2);
    EXPECT_TRUE(wait_until(
        [&] {
            pump_messages();
            return console_contents(first) == "hi";
        },
        2000))
        << console_contents(first);
    // An open that fails says so and still uses up its number.
    EXPECT_EQ(connect(1), first);
    EXPECT_EQ(message, std::string("Gone") + CANNOT_OPEN);
    // A device open already is refused before any open is tried, and uses none.
    EXPECT_EQ(connect(0), first);
    EXPECT_EQ(message, std::string("Echo") + CANNOT_OPEN);
    EXPECT_EQ(open_port_count, 1);
    close_port(first);
    Port* third = connect(0);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(caption(third), "Echo(USB3)");
    EXPECT_EQ(usb_port_new(app.frame_window, nullptr), nullptr);  // no entry, no message
}

TEST_F(UsbPortTest, ADeviceThatGoesAwayShowsNotConnectedAndTheWindowStays)
{
    ASSERT_EQ(start(LIST, true), 1);
    Port* port = connect(0);
    ASSERT_NE(port, nullptr);
    pump_messages();
    ASSERT_TRUE(cut_bench_port("USB", true));
    EXPECT_TRUE(shows_not_connected(1000));
    EXPECT_EQ(usb_state(&reinterpret_cast<UsbPort*>(port)->engine), UsbFailed);
    SendMessageA(window_of(port), WM_CHAR, 'x', 1);
    EXPECT_TRUE(port_is_open(port));
    EXPECT_TRUE(IsWindow(window_of(port)));
    DWORD start_close = GetTickCount();
    close_port(port);
    EXPECT_LT(GetTickCount() - start_close, 1200u);
    EXPECT_TRUE(cut_bench_port("USB", false));
}

// With "auto reopen" the port waits for a device that went away, takes no input
// meanwhile, and opens it again in the same window once it is back: what was typed
// while it was gone never reaches it.
TEST_F(UsbPortTest, WithAutoReopenADeviceThatComesBackIsOpenedAgainInTheSameWindow)
{
    ASSERT_EQ(start(std::string(LIST) + "auto reopen=1\r\n", true), 1);
    Port* port = connect(0);
    ASSERT_NE(port, nullptr);
    HWND window = window_of(port);
    ASSERT_TRUE(cut_bench_port("USB", true));
    ASSERT_TRUE(wait_until(
        [&] {
            pump_messages();
            return port->status.state == PORT_WAITING_FOR_DEVICE;
        },
        2000));
    EXPECT_STREQ(port_connection_text(port), "\x8d\xc4\x90\xda\x91\xb1\x91\xd2\x82\xbf");  // 再接続待ち
    SendMessageA(window, WM_CHAR, 'x', 1);
    EXPECT_EQ(port_send(port, reinterpret_cast<const unsigned char*>("y"), 1, nullptr), 0);
    ASSERT_TRUE(cut_bench_port("USB", false));
    EXPECT_TRUE(wait_until(
        [&] {
            pump_messages();
            return port->status.state == PORT_CONNECTED;
        },
        2500));
    EXPECT_EQ(window_of(port), window);
    ASSERT_EQ(port_send(port, reinterpret_cast<const unsigned char*>("ok"), 2, nullptr), 2);
    EXPECT_TRUE(wait_until(
        [&] {
            pump_messages();
            return console_contents(port) == "ok";
        },
        2000))
        << console_contents(port);
    close_port(port);
}

}  // namespace
