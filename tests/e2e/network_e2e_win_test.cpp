// Velkaro as a person uses it on the network, from another process. As a client of the
// bench's echo peer: 103, the dialog (showing the defaults) with host and port, typed
// bytes come back from the peer, the peer's Shift-JIS answer shows in the console,
// the caption and status bar name the port; the peer closes, the status says so, and
// the port reconnects by itself; tavex.ini keeps the host. As a server on a free port:
// a client of the test's own connects and bytes go both ways. A file send whose peer
// resets the connection with reconnection off.
#include <winsock.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

const char CONNECT_CAPTION[] = "\x90\xda\x91\xb1 - \xc8\xaf\xc4\xdc\xb0\xb8";  // 接続 - ﾈｯﾄﾜｰｸ
const char CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";                            // 接続中
const char NOT_CONNECTED[] = "\x92\xca\x90M\x95s\x89\xc2";                     // 通信不可

std::string text_of(HWND window)
{
    char text[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Command 103 and dialog 8 filled in: host, port, and the protocol's line. What the
// dialog showed first goes to *shown: the port field's text and the protocol's line.
void open_with_dialog(HWND frame, const std::string& host, int port, int protocol, std::string* shown = nullptr)
{
    PostMessageA(frame, WM_COMMAND, 103, 0);
    HWND dialog = nullptr, host_edit = nullptr;
    // The dialog is filled in once it is shown (its controls are then made and set).
    ASSERT_TRUE(wait_until(
        [&] {
            dialog = FindWindowA("#32770", CONNECT_CAPTION);
            host_edit = dialog ? FindWindowExA(GetDlgItem(dialog, 1013), nullptr, "Edit", nullptr) : nullptr;
            return host_edit && IsWindowVisible(dialog);
        },
        5000));
    if (shown)
        *shown = text_of(GetDlgItem(dialog, 1001)) + " " +
                 std::to_string(SendMessageA(GetDlgItem(dialog, 1014), CB_GETCURSEL, 0, 0));
    SendMessageA(host_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(host.c_str()));
    SendMessageA(GetDlgItem(dialog, 1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::to_string(port).c_str()));
    SendMessageA(GetDlgItem(dialog, 1014), CB_SETCURSEL, static_cast<WPARAM>(protocol), 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until([&] { return terminal_window(frame) != nullptr; }, 5000));
}

// The whole console, through "すべてを選択してｺﾋﾟｰ" (204) and the clipboard.
bool console_shows(HWND frame, const std::string& text)
{
    return wait_until(
        [&] {
            PostMessageA(frame, WM_COMMAND, 204, 0);
            Sleep(50);
            return clipboard_text() == text;
        },
        5000);
}

void type(HWND terminal, const std::string& text)
{
    for (char c : text) PostMessageA(terminal, WM_CHAR, static_cast<unsigned char>(c), 1);
}

struct NetworkEndToEnd : ::testing::Test {
    ScratchDir scratch;
    Started program;
    HWND frame = nullptr;
    void SetUp() override
    {
        ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
        ASSERT_NE(tcp_peer_port(), 0) << "run under the test bench";
        // Reconnection after one second rather than five.
        ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[network config]\r\nwait time=1\r\n"));
        start(program, scratch.path());
        frame = wait_for_frame(20000);
        ASSERT_NE(frame, nullptr);
    }
    void end()
    {
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.wait_exit(10000), 0u);
    }
};

TEST_F(NetworkEndToEnd, ClientTalksLosesThePeerAndReconnects)
{
    std::string shown;
    ASSERT_NO_FATAL_FAILURE(open_with_dialog(frame, "127.0.0.1", tcp_peer_port(), 0, &shown));
    EXPECT_EQ(shown, "10000 0");  // no history yet: port 10000, the client line
    HWND terminal = terminal_window(frame);
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == CONNECTED; }, 5000)) << status_text(frame, 1);
    EXPECT_EQ(status_text(frame, 0), "NET1");
    std::string caption = text_of(terminal);
    EXPECT_EQ(caption.rfind("127.0.0.1(", 0), 0u) << caption;
    EXPECT_NE(caption.find(") (NET1)"), std::string::npos) << caption;
    EXPECT_EQ(caption.find("(0)"), std::string::npos) << caption;

    type(terminal, "hi\r");
    ASSERT_TRUE(console_shows(frame, "hi\r"));  // echoed: it reached the peer
    const std::string answer = "\x82\xa8\x82\xcd\x82\xe6\x82\xa4OK\r\n";  // おはよう
    ASSERT_TRUE(tcp_peer_command("say", answer));
    EXPECT_TRUE(console_shows(frame, "hi\r" + answer)) << clipboard_text();

    ASSERT_TRUE(tcp_peer_command("close"));
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == NOT_CONNECTED; }, 5000));
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == CONNECTED; }, 5000));
    type(terminal, "again");
    EXPECT_TRUE(console_shows(frame, "hi\r" + answer + "again"));

    end();
    std::string ini = read_file(scratch.file("tavex.ini"));
    for (const std::string& line :
         {std::string("host list 1=127.0.0.1"), "ports=" + std::to_string(tcp_peer_port()), std::string("protcol=0")})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
}

TEST_F(NetworkEndToEnd, ServerTakesAClientAndTalksBothWays)
{
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(0x0101, &wsa), 0);
    int port = free_tcp_port();

    ASSERT_NO_FATAL_FAILURE(open_with_dialog(frame, "127.0.0.1", port, 1));
    HWND terminal = terminal_window(frame);
    std::string listening = "127.0.0.1(" + std::to_string(port) + ") (NET1)";
    EXPECT_TRUE(wait_until([&] { return text_of(terminal) == listening; }, 5000)) << text_of(terminal);
    EXPECT_EQ(status_text(frame, 1), NOT_CONNECTED);

    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == CONNECTED; }, 5000));
    ASSERT_EQ(send(client, "ping", 4, 0), 4);
    EXPECT_TRUE(console_shows(frame, "ping"));
    type(terminal, "pong");
    std::string got;
    char buffer[16];
    while (got.size() < 4) {
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        got.append(buffer, n);
    }
    EXPECT_EQ(got, "pong");
    closesocket(client);
    end();
    WSACleanup();
}

// A file send to a peer that resets the connection, with reconnection off: the port
// has given up, and the send ends within 2 s with the summary of what went out,
// instead of offering its next piece for ever.
TEST(NetworkFileSend, APeerThatResetsEndsTheSendWhenReconnectionIsOff)
{
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    ASSERT_NE(tcp_peer_port(), 0) << "run under the test bench";
    ScratchDir scratch;
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[network config]\r\nre-connect=0\r\n"));
    // A gigabyte of zeros, made in an instant (sparse): far more than goes out before
    // the reset.
    const std::string big = scratch.file("big.bin");
    HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_NE(SetFilePointer(file, 1 << 30, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    ASSERT_TRUE(write_file(scratch.file("big.TFL"), big + "\r\n"));
    ASSERT_TRUE(tcp_peer_command("mode", "sink"));
    // Back to echo for the tests that follow, whatever happens here.
    struct EchoAgain {
        ~EchoAgain() { tcp_peer_command("mode", "echo"); }
    } echo_again;
    Started program;
    start(program, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(frame, nullptr);
    ASSERT_NO_FATAL_FAILURE(open_with_dialog(frame, "127.0.0.1", tcp_peer_port(), 0));
    ASSERT_TRUE(wait_until([&] { return status_text(frame, 1) == CONNECTED; }, 5000));
    send_list_file(frame, scratch.file("big.TFL"), 1);
    const std::string sending = "\x91\x97\x90\x4d\x92\x86 ";  // 送信中
    ASSERT_TRUE(wait_until([&] { return status_text(frame, 2).rfind(sending, 0) == 0; }, 5000));
    ASSERT_TRUE(tcp_peer_command("reset"));
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 1) == NOT_CONNECTED; }, 2000));
    DWORD start_ms = GetTickCount();
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 2).empty(); }, 2000)) << status_text(frame, 2);
    EXPECT_LT(GetTickCount() - start_ms, 2000u);
    std::string console;
    EXPECT_TRUE(wait_until(
        [&] {
            PostMessageA(frame, WM_COMMAND, 204, 0);  // すべてを選択してｺﾋﾟｰ
            Sleep(50);
            return (console = clipboard_text()).find(" byte/s)") != std::string::npos;
        },
        2000))
        << console;
    EXPECT_NE(console.find("\"" + big + "\" "), std::string::npos) << console;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

}  // namespace
