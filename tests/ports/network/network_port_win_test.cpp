// The network kind in a real frame: the Port's names, caption and status texts as its
// connection comes and goes, NET numbers used up by a failed open, typing across a
// disconnect and reconnect, a close while the status routine waits for the window;
// dialog 8 with its history and page 14 driven by timers, and both withheld while the
// socket library is not started.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/comm_settings_win.h"
#include "base/settings.h"
#include "ports/network/network_port_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char OPEN_FAILED_CAPTION[] = "\xc8\xaf\xc4\xdc\xb0\xb8\xa5\xce\xdf\xb0\xc4\xa5\xb5\xb0\xcc\xdf\xdd";
const char CANNOT_OPEN[] = "\x82\xcd\xb5\xb0\xcc\xdf\xdd\x8fo\x97\x88\x82\xdc\x82\xb9\x82\xf1";  // はｵｰﾌﾟﾝ出来ません
const char CONNECT_CAPTION[] = "\x90\xda\x91\xb1 - \xc8\xaf\xc4\xdc\xb0\xb8";                       // 接続 - ﾈｯﾄﾜｰｸ
const char CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";                                                 // 接続中
const char NOT_CONNECTED[] = "\x92\xca\x90M\x95s\x89\xc2";                                          // 通信不可

struct NetworkPorts : ::testing::Test {
    ScratchDir scratch;
    TestFrame* frame = nullptr;
    NetworkSettings saved = *network_settings();

    static void SetUpTestSuite() { ASSERT_EQ(net_startup(), 1); }
    static void TearDownTestSuite() { net_cleanup(); }
    void SetUp() override
    {
        ASSERT_TRUE(settings_path_init());
        display_settings_defaults(&display_settings);
        InitCommonControls();
        *network_settings() = NetworkSettings{1, 1, 0};
        frame = new TestFrame(nullptr, true);
        ASSERT_TRUE(frame->made);
    }
    void TearDown() override
    {
        delete frame;
        *network_settings() = saved;
    }
    // Waits while handling messages: the status routine sets the caption and the
    // status bar through this thread.
    template <typename Done>
    bool wait_pumping(Done done, DWORD timeout_ms = 5000)
    {
        return wait_until(
            [&] {
                pump_messages();
                return done();
            },
            timeout_ms);
    }
    Port* open_client(int port)
    {
        NetworkTarget target = {"127.0.0.1", port, NET_MODE_CLIENT};
        return create_port(PORT_NETWORK, &target);
    }
    std::string status(int part)
    {
        char text[64] = {};
        SendMessageA(app.status_bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

NetworkEngine* engine_of(Port* port)
{
    return &reinterpret_cast<NetworkPort*>(port)->engine;
}

std::string message_seen;
void read_and_close(HWND box)
{
    message_seen = message_box_text(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(NetworkPorts, NamesCaptionAndStatusFollowTheConnectionAndAFailedOpenUsesANumber)
{
    Port* first = open_client(tcp_peer_port());
    ASSERT_NE(first, nullptr);
    int n = reinterpret_cast<NetworkPort*>(first)->net_number;
    EXPECT_EQ(std::string(first->short_name(first)), "NET" + std::to_string(n));
    EXPECT_EQ(status(0), "NET" + std::to_string(n));
    ASSERT_TRUE(wait_pumping([&] { return first->connection_state == 1 && status(1) == CONNECTED; }));
    std::string caption =
        "127.0.0.1(" + std::to_string(net_port(engine_of(first), 1)) + ") (NET" + std::to_string(n) + ")";
    EXPECT_TRUE(wait_pumping([&] { return window_text(window_of(first)) == caption; })) << window_text(window_of(first));
    ASSERT_TRUE(tcp_peer_command("close"));
    EXPECT_TRUE(wait_pumping([&] { return first->connection_state == 0 && status(1) == NOT_CONNECTED; }));
    EXPECT_TRUE(wait_pumping([&] { return first->connection_state == 1 && status(1) == CONNECTED; }));

    drive_dialog(OPEN_FAILED_CAPTION, read_and_close);
    EXPECT_EQ(open_client(65536), nullptr);
    EXPECT_TRUE(dialog_was_driven());
    EXPECT_EQ(message_seen, std::string("\"127.0.0.1\"(65536)") + CANNOT_OPEN);
    EXPECT_EQ(open_port_count, 1);

    Port* third = open_client(tcp_peer_port());
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(reinterpret_cast<NetworkPort*>(third)->net_number, n + 2);
}

// A write waiting when the connection drops must not hold the queue for good: bytes
// queued while disconnected go out after the reconnection, and typing works again.
TEST_F(NetworkPorts, TypingAcrossADisconnectAndReconnect)
{
    Port* port = open_client(tcp_peer_port());
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(wait_pumping([&] { return port->connection_state == 1; }));
    SendMessageA(window_of(port), WM_CHAR, 'a', 1);
    ASSERT_TRUE(wait_pumping([&] { return console_contents(port) == "a"; }));
    ASSERT_TRUE(tcp_peer_command("close"));
    ASSERT_TRUE(wait_pumping([&] { return port->connection_state == 0; }));
    static const unsigned char queued[] = "two";
    EXPECT_EQ(port_send(port, queued, 3, nullptr), 3);
    ASSERT_TRUE(wait_pumping([&] { return port->connection_state == 1; }));
    EXPECT_TRUE(wait_pumping([&] { return console_contents(port) == "atwo"; })) << console_contents(port);
    SendMessageA(window_of(port), WM_CHAR, '3', 1);
    EXPECT_TRUE(wait_pumping([&] { return console_contents(port) == "atwo3"; })) << console_contents(port);
}

// The connection thread reports the peer's close while this thread is busy: its
// caption call waits for this thread. Closing the port then neither deadlocks nor
// needs to end a thread by force.
TEST_F(NetworkPorts, CloseWhileTheStatusRoutineWaitsForTheWindow)
{
    Port* port = open_client(tcp_peer_port());
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(wait_pumping([&] { return port->connection_state == 1; }));
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), engine_of(port)->connection_thread, GetCurrentProcess(), &thread,
                                SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0));
    ASSERT_TRUE(tcp_peer_command("close"));
    Sleep(300);  // no messages handled: the status routine is stuck in SetWindowTextA
    DWORD start = GetTickCount();
    close_port(port);
    EXPECT_LT(GetTickCount() - start, 500u + 1200u);
    EXPECT_EQ(WaitForSingleObject(thread, 1000), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 0u) << "ended by force";
    CloseHandle(thread);
}

// Dialog 8 over a stored history (the end-to-end test starts from an empty one).
struct Seen {
    int hosts = -1;
    std::string host, port, protocol;
    int protocol_line = -2;
} seen;
std::string typed_port;
int chosen_line = -1;

std::string item_text(HWND combo, int line)
{
    char text[300] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
    return text;
}

void fill_and_ok(HWND dialog)
{
    HWND hosts = GetDlgItem(dialog, IDC_NET_HOST);
    HWND protocols = GetDlgItem(dialog, IDC_NET_PROTOCOL);
    seen.hosts = static_cast<int>(SendMessageA(hosts, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < seen.hosts; ++i) seen.host += item_text(hosts, i) + ",";
    seen.host += window_text(hosts);
    seen.port = window_text(GetDlgItem(dialog, IDC_NET_PORT));
    seen.protocol_line = static_cast<int>(SendMessageA(protocols, CB_GETCURSEL, 0, 0));
    seen.protocol = seen.protocol_line >= 0 ? item_text(protocols, seen.protocol_line) : "";
    SendMessageA(hosts, CB_SETCURSEL, static_cast<WPARAM>(chosen_line), 0);
    SetDlgItemTextA(dialog, IDC_NET_PORT, typed_port.c_str());
    drive_dialog(OPEN_FAILED_CAPTION, read_and_close);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void cancel(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// A port beyond 32 bits: the message shows it as typed, and the dialog stays (it is
// then cancelled, after the message).
HWND connect_dialog;
void read_close_and_cancel(HWND box)
{
    read_and_close(box);
    PostMessageA(connect_dialog, WM_COMMAND, IDCANCEL, 0);
}

void type_a_port_beyond_32_bits(HWND dialog)
{
    connect_dialog = dialog;
    SendMessageA(GetDlgItem(dialog, IDC_NET_HOST), CB_SETCURSEL, 2, 0);
    SetDlgItemTextA(dialog, IDC_NET_PORT, "99999999999999999");
    drive_dialog(OPEN_FAILED_CAPTION, read_close_and_cancel);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(NetworkPorts, StoredHostsComeFirstAndARefusedPortIsSavedAndShownAsTyped)
{
    const std::string stored =
        "[network history]\r\nlist entry=4\r\nhost list 1=alpha\r\nhost list 2=\r\nhost list 3=beta\r\n"
        "host list 4=gamma\r\nports=23\r\nprotcol=5\r\n";
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), stored));
    drive_dialog(CONNECT_CAPTION, cancel);
    network_connect(app.frame_window);
    EXPECT_EQ(read_file(scratch.file("tavex.ini")), stored);  // Cancel writes nothing
    message_seen.clear();
    drive_dialog(CONNECT_CAPTION, type_a_port_beyond_32_bits);
    network_connect(app.frame_window);
    EXPECT_EQ(message_seen, std::string("\"gamma\"(99999999999999999)") + CANNOT_OPEN);
    EXPECT_EQ(read_file(scratch.file("tavex.ini")), stored);
    EXPECT_EQ(open_port_count, 0);

    seen = Seen{};
    message_seen.clear();
    chosen_line = 2;  // gamma
    typed_port = "65536";
    drive_dialog(CONNECT_CAPTION, fill_and_ok);
    network_connect(app.frame_window);
    EXPECT_EQ(seen.host, "alpha,beta,gamma,alpha");
    EXPECT_EQ(seen.port, "23");
    EXPECT_EQ(seen.protocol_line, -1);
    EXPECT_EQ(message_seen, std::string("\"gamma\"(65536)") + CANNOT_OPEN);
    EXPECT_EQ(open_port_count, 0);
    NetworkHistory after;
    network_load_history(&after);
    ASSERT_EQ(after.count, 3);
    EXPECT_STREQ(after.hosts[0], "gamma");
    EXPECT_STREQ(after.hosts[1], "alpha");
    EXPECT_STREQ(after.hosts[2], "beta");
    EXPECT_EQ(after.last_port, 65536);
    EXPECT_EQ(after.last_protocol, 0);
    EXPECT_EQ(read_file(scratch.file("tavex.ini")).find("host list 4"), std::string::npos);
}

// Page 14: a number out of range falls back to the value the page opened with; OK
// stores all three settings at once.
struct PageSeen {
    bool reconnect = false;
    std::string wait, retry, wait_after_500, wait_after_30;
} page_seen;

void edit_page(HWND sheet)
{
    HWND page = nullptr;
    for (int i = 0; i < 4 && !page; ++i) {
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
        HWND current = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (current && GetDlgItem(current, IDC_NET_WAIT_TIME)) page = current;
    }
    if (page) {
        page_seen.reconnect = IsDlgButtonChecked(page, IDC_NET_RECONNECT) == BST_CHECKED;
        page_seen.wait = window_text(GetDlgItem(page, IDC_NET_WAIT_TIME));
        page_seen.retry = window_text(GetDlgItem(page, IDC_NET_RETRY_COUNT));
        auto leave = [&](int id, const char* text) {
            SetDlgItemTextA(page, id, text);
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
            return window_text(GetDlgItem(page, id));
        };
        page_seen.wait_after_500 = leave(IDC_NET_WAIT_TIME, "500");
        page_seen.wait_after_30 = leave(IDC_NET_WAIT_TIME, "30");
        SetDlgItemTextA(page, IDC_NET_RETRY_COUNT, "7");
        CheckDlgButton(page, IDC_NET_RECONNECT, BST_UNCHECKED);
    }
    PostMessageA(sheet, WM_COMMAND, IDOK, 0);
}

TEST_F(NetworkPorts, SettingsPageKeepsItsRangesAndStoresOnOk)
{
    *network_settings() = NetworkSettings{1, 5, 10};
    page_seen = PageSeen{};
    drive_dialog("\x92\xca\x90M\x8f\xf0\x8c\x8f\x82\xcc\x90\xdd\x92\xe8", edit_page);  // 通信条件の設定
    comm_settings_sheet(app.frame_window);
    EXPECT_TRUE(page_seen.reconnect);
    EXPECT_EQ(page_seen.wait, "5");
    EXPECT_EQ(page_seen.retry, "10");
    EXPECT_EQ(page_seen.wait_after_500, "5");
    EXPECT_EQ(page_seen.wait_after_30, "30");
    const NetworkSettings& now = *network_settings();
    EXPECT_EQ(now.reconnect, 0);
    EXPECT_EQ(now.wait_time, 30);
    EXPECT_EQ(now.retry_count, 7);
    std::string ini = read_file(scratch.file("tavex.ini"));
    for (const char* line : {"[network config]", "re-connect=0", "wait time=30", "connect retry=7"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
}

// Without the socket library neither the page nor the dialog is offered.
TEST_F(NetworkPorts, WithoutTheSocketLibraryNothingIsOffered)
{
    net_cleanup();
    EXPECT_EQ(network_settings_page(app.frame_window), nullptr);
    drive_dialog(CONNECT_CAPTION, cancel);
    network_connect(app.frame_window);
    pump_messages();
    EXPECT_FALSE(dialog_was_driven());
    ASSERT_EQ(net_startup(), 1);
}

}  // namespace
