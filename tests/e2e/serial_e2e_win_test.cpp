// Velkaro as a person uses it on a serial port: start it in a scratch folder with the
// bench's pty as its only COM port and a peer on the far end; connect (one port: no
// dialog); type and see exactly those bytes at the peer; the peer answers in
// Shift-JIS and the console shows it; the status bar names the port and the
// connection; disconnect through the dialog; hide both bars; close, and find the
// choices in tavex.ini. Keys are posted to the terminal window (Wine gives one process
// no way into another's keyboard focus here); `make run` is driven with xdotool.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

int status_length(HWND frame, int part)
{
    HWND bar = FindWindowExA(frame, nullptr, STATUSCLASSNAMEA, nullptr);
    return bar ? LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0)) : -1;
}

TEST(SerialEndToEnd, ConnectTypeReceiveDisconnectAndClose)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    std::string peer_path = fixture_env("TAVEX_TEST_COM_PEER");
    ASSERT_FALSE(peer_path.empty()) << "run under the test bench";
    StreamEnd peer(windows_path(peer_path));
    ASSERT_TRUE(peer.is_open());

    Started program;
    start(program, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(frame, nullptr);

    // 101 with one COM port opens it without a dialog.
    PostMessageA(frame, WM_COMMAND, 101, 0);
    ASSERT_TRUE(wait_until([&] { return terminal_window(frame) != nullptr; }, 10000));
    HWND terminal = terminal_window(frame);
    char caption[128] = {};
    SendMessageA(terminal, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
    EXPECT_STREQ(caption, "\xbc\xd8\xb1\xd9\xce\xdf\xb0\xc4 (COM5)");  // ｼﾘｱﾙﾎﾟｰﾄ (COM5)
    EXPECT_TRUE(wait_until([&] { return status_length(frame, 0) == 4; }, 5000));  // COM5
    // 接続中: six bytes, or three characters where the control keeps its text wide (Wine).
    int connected = status_length(frame, 1);
    EXPECT_TRUE(connected == 6 || connected == 3) << connected;

    // Typing reaches the peer as typed, Enter as CR.
    for (char c : std::string("AT\r")) PostMessageA(terminal, WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ(peer.read(3, 5000), "AT\r");
    const std::string answer = "\x82\xa8\x82\xcd\x82\xe6\x82\xa4OK\r\n";  // おはよう
    ASSERT_TRUE(peer.write(answer));
    // The console shows it: "すべてを選択してｺﾋﾟｰ" puts the whole console on the clipboard.
    EXPECT_TRUE(wait_until(
        [&] {
            PostMessageA(frame, WM_COMMAND, 204, 0);
            Sleep(50);
            return clipboard_text() == answer;
        },
        5000))
        << clipboard_text();

    // Disconnect: the dialog lists the port; OK closes it.
    PostMessageA(frame, WM_COMMAND, 105, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(wait_until([&] { return (dialog = FindWindowA("#32770", "\x90\xd8\x92\x66")) != nullptr; }, 5000));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until([&] { return terminal_window(frame) == nullptr; }, 5000));

    // Both bars hidden, then an orderly end: the choices are in the file.
    PostMessageA(frame, WM_COMMAND, 301, 0);
    PostMessageA(frame, WM_COMMAND, 302, 0);
    Sleep(200);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
    std::string ini = read_file(scratch.file("tavex.ini"));
    EXPECT_NE(ini.find("tool bar=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("status bar=0"), std::string::npos) << ini;
}

}  // namespace
