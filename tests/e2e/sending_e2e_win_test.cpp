// Sending what a device needs, as a person does it on the bench's COM port: a paste
// slowed down by the port's pacing arrives whole and no sooner than its pauses allow;
// a line sent earlier comes back with Ctrl+Up and goes out again; Shift+F1 sends the
// second bank's first key.
//
// Keys are posted to the terminal window. A held Ctrl or Shift is set in the key
// state that the test's thread shares with the program's window thread once their
// input is attached: the program reads it as it would a key the user holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

using SendingEndToEnd = ComPortProgram;

// Holds a modifier key down for the program's window thread while it lives.
struct HeldKey {
    DWORD self = GetCurrentThreadId();
    DWORD program;
    int key;
    HeldKey(HWND window, int held) : program(GetWindowThreadProcessId(window, nullptr)), key(held)
    {
        EXPECT_TRUE(AttachThreadInput(self, program, TRUE));
        set(0x80);
    }
    ~HeldKey()
    {
        set(0);
        AttachThreadInput(self, program, FALSE);
    }
    void set(BYTE state)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[key] = state;
        SetKeyboardState(keys);
    }
};

// 1000 bytes in 20 lines with a 3 ms char delay and a 20 ms line delay: at least
// 3.4 s. (A 10 KB paste at 1 ms a byte proves the same in 10 s; this is shorter for
// the suite, with the same checks of duration and integrity.)
TEST_F(SendingEndToEnd, PacedPasteArrivesWholeAtItsPace)
{
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[com5]\r\nchar delay=3\r\nline delay=20\r\n"));
    Started program;
    HWND frame = nullptr;
    ASSERT_NE(open_com5(program, scratch.path(), &frame), nullptr);
    std::string pasted, expected;
    for (int line = 0; line < 20; ++line) {
        std::string text(48, static_cast<char>('A' + line));
        pasted += text + "\r\n";
        expected += text + "\r";  // "send crlf" 0: a line end goes out as CR
    }
    ASSERT_TRUE(put_clipboard(nullptr, pasted));
    DWORD start = GetTickCount();
    PostMessageA(frame, WM_COMMAND, 202, 0);
    std::string got = peer->read(expected.size(), 30000);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(got, expected);
    EXPECT_GE(took, 979u * 3 + 19 * 20) << took;  // no pause after the last byte is waited for
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

// LINE mode with "line mode cr": two lines sent, a draft typed, then Ctrl+Up twice
// and Enter: the older line goes out again, as it was sent.
TEST_F(SendingEndToEnd, CtrlUpRecallsALineSentBefore)
{
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[console]\r\ninput mode=1\r\nline mode cr=1\r\n"));
    Started program;
    HWND frame = nullptr;
    HWND terminal = open_com5(program, scratch.path(), &frame);
    ASSERT_NE(terminal, nullptr);
    post_text(terminal, "AT+GMR\r");
    EXPECT_EQ(peer->read(7, 5000), "AT+GMR\r");
    post_text(terminal, "ATI\r");
    EXPECT_EQ(peer->read(4, 5000), "ATI\r");
    post_text(terminal, "draft");
    {
        HeldKey ctrl(terminal, VK_CONTROL);
        for (int i = 0; i < 2; ++i) PostMessageA(terminal, WM_KEYDOWN, VK_UP, 1);
        post_text(terminal, "\r");
        EXPECT_EQ(peer->read(7, 5000), "AT+GMR\r");
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

// A "default.tfk" of 24 lines: F1 sends the first line's string and Shift+F1 the
// thirteenth's, through the program's own key handling.
TEST_F(SendingEndToEnd, ShiftF1SendsTheSecondBankOfA24LineFile)
{
    std::string tfk;
    for (int i = 0; i < 24; ++i)
        tfk += std::to_string(i) + "," + (i == 0 ? "ATZ\\r" : i == 12 ? "AT+RST\\r" : "") + "\n";
    ASSERT_TRUE(write_file(scratch.file("default.tfk"), tfk));
    Started program;
    HWND frame = nullptr;
    HWND terminal = open_com5(program, scratch.path(), &frame);
    ASSERT_NE(terminal, nullptr);
    PostMessageA(terminal, WM_KEYDOWN, VK_F1, 0x003B0001);
    EXPECT_EQ(peer->read(4, 5000), "ATZ\r");
    {
        HeldKey shift(terminal, VK_SHIFT);
        PostMessageA(terminal, WM_KEYDOWN, VK_F1, 0x003B0001);
        EXPECT_EQ(peer->read(7, 5000), "AT+RST\r");
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

}  // namespace
