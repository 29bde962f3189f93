// Velkaro's function keys and terminal settings as a person uses them on a serial
// port: a "default.tfk" in the start folder puts "AT\r" on F5; F5 in the connected
// terminal sends it to the peer; "CR+LF" chosen on the sheet "端末の設定" makes Enter
// send CR LF at once, and the choice is in tavex.ini. Keys reach the program as
// posted messages (its message loop turns F5 into command 704); the sheet is driven
// through its controls from this process.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

const char SHEET_CAPTION[] = "\x92\x5b\x96\x96\x82\xcc\x90\xdd\x92\xe8";  // 端末の設定
constexpr int SEND_CRLF_RADIO = 1108;                                     // "CR+LF"

using TerminalSettingsEndToEnd = ComPortProgram;

TEST_F(TerminalSettingsEndToEnd, F5FromDefaultTfkAndEnterAsCrLfFromTheSheet)
{
    StreamEnd& peer = *this->peer;
    ASSERT_TRUE(write_file(scratch.file("default.tfk"), "4,AT\\r\n"));

    Started program;
    start(program, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, 101, 0);  // one COM port: opened without a dialog
    ASSERT_TRUE(wait_until([&] { return terminal_window(frame) != nullptr; }, 10000));
    HWND terminal = terminal_window(frame);

    // F5, through the program's accelerators.
    PostMessageA(terminal, WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageA(terminal, WM_KEYUP, VK_F5, static_cast<LPARAM>(0xC03F0001u));
    EXPECT_EQ(peer.read(3, 5000), "AT\r");

    PostMessageA(frame, WM_COMMAND, 107, 0);
    HWND sheet = nullptr;
    HWND radio = nullptr;
    // The sheet exists before it is shown, and a click on a hidden button is lost.
    ASSERT_TRUE(wait_until(
        [&] {
            sheet = FindWindowA("#32770", SHEET_CAPTION);
            HWND page = sheet ? FindWindowExA(sheet, nullptr, "#32770", nullptr) : nullptr;  // "表示", shown first
            radio = page ? GetDlgItem(page, SEND_CRLF_RADIO) : nullptr;
            return radio && IsWindowVisible(radio);
        },
        5000));
    ASSERT_TRUE(wait_until(
        [&] {
            SendMessageA(radio, BM_CLICK, 0, 0);
            return SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
        },
        5000));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(sheet); }, 5000));

    PostMessageA(terminal, WM_CHAR, '\r', 1);
    EXPECT_EQ(peer.read(2, 5000), "\r\n");

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
    std::string ini = read_file(scratch.file("tavex.ini"));
    EXPECT_NE(ini.find("send crlf=2"), std::string::npos) << ini;
    EXPECT_EQ(read_file(scratch.file("default.tfk")).substr(0, 16), "0,\n1,\n2,\n3,\n4,AT");
}

}  // namespace
