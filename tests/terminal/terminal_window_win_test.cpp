// The terminal window with a test engine behind it: keys in both input modes, echo,
// Ctrl+C and Ctrl+V, function keys, the mouse selection and the clipboard both ways,
// the wheel, a paste that must wait for a write in flight and one cut short by a
// close, painting checked pixel by pixel in a memory bitmap, Japanese text at the
// wrap column, the end of the text kept in view at any window size, the caret of the
// windows that stay, and closing while the engine still delivers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/command_state_win.h"
#include "console/console_clipboard_win.h"
#include "console/console_layout.h"
#include "console/console_view_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

struct TerminalTest : TestEnginePorts {
    void SetUp() override
    {
        TestEnginePorts::SetUp();
        display_settings.echo_back = 1;
        open();
    }
    void type(const std::string& keys)
    {
        for (unsigned char c : keys) SendMessageA(window_of(port), WM_CHAR, c, 1);
        ASSERT_TRUE(test_engine_settle(port));
    }
    void receive(const std::string& bytes)
    {
        test_engine_receive(port, bytes);
        ASSERT_TRUE(test_engine_settle(port));
        pump_messages();
    }
};

TEST_F(TerminalTest, CharModeSendsEachKeyAndEchoesIt)
{
    display_settings.send_crlf = 2;
    type("ab\r");
    EXPECT_EQ(test_engine_written(port), "ab\r\n");
    EXPECT_EQ(console_contents(port), "ab\r\n");
    display_settings.echo_back = 0;
    display_settings.send_crlf = 1;
    type("c\r");
    EXPECT_EQ(test_engine_written(port), "ab\r\nc\n");
    EXPECT_EQ(console_contents(port), "ab\r\n");
    display_settings.send_crlf = 7;  // only by editing the file: taken as CR
    type("\r");
    EXPECT_EQ(test_engine_written(port), "ab\r\nc\n\r");
}

TEST_F(TerminalTest, RefusedKeysSendNothing)
{
    display_settings.key_disable = 1;
    type("k");
    display_settings.key_disable = 0;
    port_set_status(port, PortStatus{PORT_LOST, PORT_REASON_DEVICE_GONE});
    type("k");
    port_set_status(port, PortStatus{PORT_CONNECTED, PORT_REASON_NONE});
    EXPECT_EQ(test_engine_written(port), "");
    // Ctrl+C copies (through the frame) and sends nothing.
    type("\x03");
    EXPECT_EQ(test_engine_written(port), "");
}

TEST_F(TerminalTest, LineModeEditsThenSendsTheExpandedLine)
{
    display_settings.input_mode = 1;
    display_settings.line_mode_cr = 0;
    open();
    type("ab\x08" "c\\x41");
    EXPECT_EQ(test_engine_written(port), "");
    EXPECT_EQ(std::string(console_input_text(&port->console)), "ac\\x41");
    type("\r");
    EXPECT_EQ(test_engine_written(port), "acA");
    EXPECT_EQ(console_contents(port), "acA");
    EXPECT_EQ(console_input_length(&port->console), 0);
    type("\r");  // an empty line sends nothing
    EXPECT_EQ(test_engine_written(port), "acA");
    display_settings.line_mode_cr = 1;
    display_settings.send_crlf = 2;
    type("\r");
    EXPECT_EQ(test_engine_written(port), "acA\r\n");
}

TEST_F(TerminalTest, FunctionKeysSendTheirExpandedStrings)
{
    std::strcpy(display_settings.function_keys[0], "AT\\r");
    SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_of(port)), 0);
    send_function_key(0);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "AT\r");
    EXPECT_EQ(console_contents(port), "AT\r");
    send_function_key(1);  // empty
    send_function_key(FUNCTION_KEY_COUNT);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "AT\r");
}

// Each line keeps the local wall-clock time its first byte came at, in milliseconds
// since 1601, echoed or received alike.
TEST_F(TerminalTest, LinesKeepTheLocalTimeTheirFirstByteCameAt)
{
    auto local_now = []() {
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME time;
        SystemTimeToFileTime(&now, &time);
        return static_cast<ConsoleTime>((ULONGLONG{time.dwHighDateTime} << 32 | time.dwLowDateTime) / 10000);
    };
    const ConsoleTime before = local_now();
    type("a\r");
    receive("b");
    const ConsoleTime after = local_now();
    ASSERT_EQ(console_last_line(&port->console), 1u);
    for (std::uint32_t line : {0u, 1u}) {
        const ConsoleTime time = console_line_info(&port->console, line).first_byte_time;
        EXPECT_TRUE(before <= time && time <= after) << line << ": " << before << " " << time << " " << after;
    }
}

LPARAM point(int x, int y)
{
    return MAKELPARAM(x, y);
}

TEST_F(TerminalTest, MouseSelectionCopiesShiftJisTextWhole)
{
    // "ab" then a double-byte character (あ) and "cd", on one line.
    receive("ab\x82\xa0" "cd\r\nnext");
    HWND window = window_of(port);
    UpdateWindow(window);
    const Console* console = &port->console;
    ASSERT_GT(console->view.char_width, 0);
    int cw = console->view.char_width, lh = console->view.line_height;
    int y = 2 + lh / 2;
    // From the middle of "b" to the trail half of the character: it comes whole.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point(4 + cw + cw / 2, y));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, point(4 + 3 * cw + cw / 2, y));
    SendMessageA(window, WM_LBUTTONUP, 0, point(4 + 3 * cw + cw / 2, y));
    ASSERT_EQ(console->selection.selection_state, 3);
    EXPECT_EQ(console_copy(&port->console), 1);
    EXPECT_EQ(clipboard_text(window), "b\x82\xa0");
    EXPECT_EQ(console->selection.selection_state, 0);
    // Select all and copy: the stored bytes as they are.
    console_select_all_and_copy(&port->console);
    EXPECT_EQ(clipboard_text(window), "ab\x82\xa0" "cd\r\nnext");
    // A click without a drag selects nothing.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point(4 + cw / 2, y));
    SendMessageA(window, WM_LBUTTONUP, 0, point(4 + cw / 2, y));
    EXPECT_EQ(console->selection.selection_state, 0);
}

TEST_F(TerminalTest, PasteConvertsLineEndsSendsAndEchoes)
{
    display_settings.send_crlf = 2;
    open();
    put_clipboard(window_of(port), "a\nb\x82\xa0");
    paste_clipboard(port);
    ASSERT_TRUE(test_engine_settle(port));
    Sleep(50);
    EXPECT_EQ(test_engine_written(port), "a\r\nb\x82\xa0");
    EXPECT_EQ(console_contents(port), "a\r\nb\x82\xa0");
    EXPECT_EQ(port->paste_text, nullptr);
    // In LINE input mode the text goes into the line, and nothing is sent.
    display_settings.input_mode = 1;
    refresh_display_settings(window_of(port));
    put_clipboard(window_of(port), "xyz");
    paste_clipboard(port);
    EXPECT_EQ(std::string(console_input_text(&port->console)), "xyz");
    EXPECT_EQ(test_engine_written(port), "a\r\nb\x82\xa0");
    // With the console's key disable set, paste does nothing.
    display_settings.key_disable = 1;
    refresh_key_disable();
    paste_clipboard(port);
    EXPECT_EQ(std::string(console_input_text(&port->console)), "xyz");
}

TEST_F(TerminalTest, APasteBehindAWriteInFlightGoesOutOnceItEnds)
{
    test_engine_hold(port, true);
    type("k");  // in flight, held
    put_clipboard(window_of(port), "pasted");
    paste_clipboard(port);
    EXPECT_NE(port->paste_text, nullptr);  // waiting, not lost
    test_engine_hold(port, false);
    DWORD start = GetTickCount();
    while (port->paste_text && GetTickCount() - start < 5000) {
        pump_messages();
        Sleep(5);
    }
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "kpasted");
    EXPECT_EQ(port->paste_text, nullptr);
    type("z");  // input is free again
    EXPECT_EQ(test_engine_written(port), "kpastedz");
}

TEST_F(TerminalTest, WheelAndKeysScrollByTwoLines)
{
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "line\r\n";
    receive(lines);
    HWND window = window_of(port);
    UpdateWindow(window);
    Console* console = &port->console;
    console_set_vscroll(console, 0, true);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
    EXPECT_EQ(console->view.vscroll_pos, 4);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(console->view.vscroll_pos, 2);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    EXPECT_EQ(console->view.vscroll_pos, 2);
    SendMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(console->view.vscroll_pos, 4);
    SendMessageA(window, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(console->view.vscroll_pos, console_vscroll_range(console) - console->view.page_rows);
}

COLORREF pixel(HDC dc, int x, int y)
{
    return GetPixel(dc, x, y) & 0xFFFFFF;
}

TEST_F(TerminalTest, PaintDrawsEachClassInItsColours)
{
    display_settings.hex_mode = 1;
    // Distinct backgrounds so that each cell's class shows in its corner pixel.
    display_settings.colours[1] = RGB(255, 255, 255);
    display_settings.colours[3] = RGB(0, 255, 0);    // hexadecimal
    display_settings.colours[5] = RGB(128, 128, 128);  // LINE input
    display_settings.colours[7] = RGB(0, 255, 255);  // selected
    display_settings.input_mode = 1;
    open();
    receive("A\r\nBC");
    Console* console = &port->console;
    console_select_all(console);
    // Select only "C": offsets 4..4.
    console->selection.sel_anchor.offset = 4;
    console->selection.sel_end.offset = 4;
    RECT client = {0, 0, 400, 200};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    console_paint(console, dc, &client);
    int cw = console->view.char_width, lh = console->view.line_height;
    ASSERT_GT(cw, 0);
    // Row 0: "A" normal, then <0D><0A> as eight hexadecimal cells.
    EXPECT_EQ(pixel(dc, 4 + cw / 2, 2), RGB(255, 255, 255));
    EXPECT_EQ(pixel(dc, 4 + cw + 1, 2), RGB(0, 255, 0));
    EXPECT_EQ(pixel(dc, 4 + 8 * cw + 1, 2), RGB(0, 255, 0));
    EXPECT_EQ(pixel(dc, 4 + 9 * cw + 1, 2), RGB(255, 255, 255));
    // Row 1: "B" normal, "C" selected.
    EXPECT_EQ(pixel(dc, 4 + 1, 2 + lh), RGB(255, 255, 255));
    EXPECT_EQ(pixel(dc, 4 + cw + 1, 2 + lh), RGB(0, 255, 255));
    // The margins, and the LINE input area at the bottom.
    EXPECT_EQ(pixel(dc, 1, 50), RGB(255, 255, 255));
    EXPECT_EQ(pixel(dc, 200, client.bottom - 1), RGB(128, 128, 128));
    EXPECT_EQ(console->input.input_area.top, client.bottom - lh - 4);
    EXPECT_EQ(console->view.row_table[0].offset, 0);
    EXPECT_EQ(console->view.row_table[0].count, 3);
    EXPECT_EQ(console->view.row_table[1].offset, 3);
    EXPECT_EQ(console->view.last_row, 1);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(TerminalTest, ClosingWhileTheEngineFloodsTheConsole)
{
    std::string block(4000, 'f');
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 200; ++i) test_engine_receive(port, block);
        Sleep(round * 5);
        close_port(port);
        port = nullptr;
        EXPECT_EQ(open_port_count, 0);
        open();
    }
}

TEST_F(TerminalTest, TheCloseBoxClosesThePortThroughTheFrame)
{
    SendMessageA(window_of(port), WM_CLOSE, 0, 0);
    pump_messages();
    EXPECT_FALSE(port_is_open(port));
    port = nullptr;
    EXPECT_EQ(open_port_count, 0);
}

}  // namespace

namespace {

// Escapes never split a character whose trail byte is 0x5C, typed in LINE mode or
// set on a function key; a full line drops no half character and keeps its line end.
TEST_F(TerminalTest, LineModeAndFunctionKeysKeepJapaneseTextWhole)
{
    display_settings.input_mode = 1;
    display_settings.line_mode_cr = 1;
    display_settings.send_crlf = 0;
    open();
    type("\x95\x5cn\r");  // 表n
    EXPECT_EQ(test_engine_written(port), "\x95\x5cn\r");
    std::strcpy(display_settings.function_keys[4], "\x95\x5cn \x83\x5c" "0 \x95\x5c\x8e\xa6");  // 表n ソ0 表示
    SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_of(port)), 0);
    send_function_key(4);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "\x95\x5cn\r\x95\x5cn \x83\x5c" "0 \x95\x5c\x8e\xa6");

    // 255 letters and 日: the character does not fit whole, the CR still goes out.
    std::string before = test_engine_written(port);
    type(std::string(255, 'a') + "\x93\xfa\r");
    EXPECT_EQ(test_engine_written(port), before + std::string(255, 'a') + "\r");
    // 251 letters and a pasted 日本語: 日本 fits, 語 does not.
    before = test_engine_written(port);
    type(std::string(251, 'a'));
    put_clipboard(window_of(port), "\x93\xfa\x96\x7b\x8c\xea");
    paste_clipboard(port);
    type("\r");
    EXPECT_EQ(test_engine_written(port), before + std::string(251, 'a') + "\x93\xfa\x96\x7b\r");
}

// The character Ctrl+V pastes, with or without Shift: it never goes out as a byte.
TEST_F(TerminalTest, CtrlVIsThePasteCommandEvenWithShift)
{
    HACCEL table = command_accelerators_create();  // the command table's, as the frame's loop makes them
    ASSERT_NE(table, nullptr);
    put_clipboard(window_of(port), "clip");
    MSG msg = {window_of(port), WM_CHAR, 0x16, 1, 0, {0, 0}};
    EXPECT_NE(TranslateAcceleratorA(app.frame_window, table, &msg), 0);
    ASSERT_TRUE(test_engine_settle(port));
    Sleep(50);
    EXPECT_EQ(test_engine_written(port), "clip");
    DestroyAcceleratorTable(table);
}

// A paste whose write the device holds when the port is aborted or closed: it ends
// for good (nothing of it is sent again), and its text lives until the engine that
// may still be writing it has stopped.
TEST_F(TerminalTest, AbortOrCloseEndsAPasteAndItsTextOutlivesTheEngine)
{
    std::string text;
    for (int i = 0; i < 10000; ++i) text += static_cast<char>('A' + i % 26);
    test_engine_hold(port, true);
    test_engine_script(port, {0});  // the aborted write reports nothing written
    put_clipboard(window_of(port), text);
    paste_clipboard(port);
    abort_send(port);
    test_engine_hold(port, false);
    ASSERT_TRUE(wait_until([&] { return port->paste_text == nullptr; }, 5000));
    ASSERT_TRUE(test_engine_settle(port));
    Sleep(50);
    EXPECT_EQ(test_engine_requests(port), (std::vector<std::int32_t>{10000}));
    type("k");  // input is free again
    EXPECT_EQ(test_engine_written(port), "k");

    test_engine_hold(port, true);
    paste_clipboard(port);
    ASSERT_NE(port->paste_text, nullptr);
    close_port(port);
    port = nullptr;
    EXPECT_EQ(test_engine_taken_at_stop(), text);
}

bool has_caret(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && info.hwndCaret == window;
}

// The caret belongs to the thread: closing one window, through the disconnect
// route or its close box, leaves the caret of the window that has the focus.
TEST_F(TerminalTest, ClosingAnotherWindowLeavesTheCaret)
{
    for (int line_mode = 0; line_mode < 2; ++line_mode) {
        display_settings.input_mode = line_mode;
        open();
        Port* first = port;
        port = create_port(PORT_SERIAL, nullptr);
        ASSERT_NE(port, nullptr);
        pump_messages();
        ASSERT_TRUE(has_caret(window_of(port))) << line_mode;
        close_port(first);  // not the active one
        pump_messages();
        EXPECT_TRUE(has_caret(window_of(port))) << line_mode;
        Port* second = create_port(PORT_SERIAL, nullptr);
        ASSERT_NE(second, nullptr);
        pump_messages();
        SendMessageA(window_of(second), WM_CLOSE, 0, 0);  // the active one, by its close box
        pump_messages();
        EXPECT_FALSE(port_is_open(second));
        EXPECT_TRUE(has_caret(window_of(port))) << line_mode;
    }
}

// Bytes that keep coming are painted after a pause, never forgotten: each piece
// lands right after the paint for the one before, and the window shows it soon after.
TEST_F(TerminalTest, BytesRightAfterAPaintAreShownAfterThePause)
{
    HWND window = window_of(port);
    std::string line;
    for (int piece = 1; piece <= 3; ++piece) {
        line += "ab";
        receive("ab");
        UpdateWindow(window);
        const DWORD start = GetTickCount();
        while (port->console.view.row_table[0].count != static_cast<std::int32_t>(line.size()) &&
               GetTickCount() - start < 2000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            pump_messages();
        }
        ASSERT_EQ(port->console.view.row_table[0].count, static_cast<std::int32_t>(line.size())) << piece;
    }
}

// 79 letters and 漢字 with the default column of 80: 漢 ends the first line whole,
// on screen and in what is selected and copied.
TEST_F(TerminalTest, JapaneseTextAtTheWrapColumnStaysWhole)
{
    const std::string a79(79, 'A');
    receive(a79 + "\x8a\xbf\x8e\x9a\r\n");  // 漢字
    HWND window = window_of(port);
    UpdateWindow(window);
    Console* console = &port->console;
    ASSERT_EQ(console->view.row_table[0].count, 81);
    int cw = console->view.char_width, lh = console->view.line_height;
    int y = 2 + lh / 2;
    // From the last letter to the right half of 漢: the character comes whole.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point(4 + 78 * cw + cw / 2, y));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, point(4 + 80 * cw + cw / 2, y));
    SendMessageA(window, WM_LBUTTONUP, 0, point(4 + 80 * cw + cw / 2, y));
    ASSERT_EQ(console_copy(console), 1);
    EXPECT_EQ(clipboard_text(window), "A\x8a\xbf");
    console_select_all_and_copy(console);
    EXPECT_EQ(clipboard_text(window), a79 + "\x8a\xbf\x8e\x9a\r\n");
}

// With auto scroll, the last line and the caret are in view after data arrives and
// after every change of size, down to a window lower than one row.
TEST_F(TerminalTest, TheEndOfTheTextStaysInViewAtAnySize)
{
    HWND window = window_of(port);
    ShowWindow(window, SW_RESTORE);
    Console* console = &port->console;
    std::string lines;
    int count = 0;
    auto end_in_view = [&](int height) {
        pump_messages();
        UpdateWindow(window);
        RECT client;
        GetClientRect(window, &client);
        std::int32_t last_start =
            static_cast<std::int32_t>(console_line_start(console, console_last_line(console)));
        for (int row = 0; row <= console->view.last_row; ++row) {
            if (console->view.row_table[row].offset != last_start) continue;
            int top = 2 + row * console->view.line_height;
            bool whole = top + console->view.line_height <= client.bottom;
            return (whole || row == 0) && console->view.caret_x >= 0 && console->view.caret_y == top;
        }
        ADD_FAILURE() << "last line not shown, client height " << height;
        return false;
    };
    // Sizes the window so that its client area is `height` pixels high.
    auto size_client = [&](int height) {
        RECT outer, inner;
        GetWindowRect(window, &outer);
        GetClientRect(window, &inner);
        int frame = (outer.bottom - outer.top) - inner.bottom;
        MoveWindow(window, 0, 0, 500, height + frame, TRUE);
    };
    for (int height : {400, 150, 60, 30, 10}) {  // the last one is lower than a row
        size_client(height);
        for (int i = 0; i < 200; ++i) lines += "line " + std::to_string(count++) + "\r\n";
        receive(lines + "end");
        lines.clear();
        EXPECT_TRUE(end_in_view(height)) << "after data";
        size_client(height + 120);
        EXPECT_TRUE(end_in_view(height + 120)) << "after growing";
        size_client(height);
        EXPECT_TRUE(end_in_view(height)) << "after shrinking";
    }
    ShowWindow(window, SW_MINIMIZE);
    receive("more\r\nend");
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(end_in_view(0)) << "after minimising and maximising";
}

// A 10 MB paste: CHAR mode sends all of it in order with its line ends converted,
// and shows it (the console keeps what fits); LINE mode takes what fits into the
// line and sends nothing.
TEST_F(TerminalTest, ATenMegabytePasteInEitherMode)
{
    std::string text;
    for (int line = 0; text.size() < (10u << 20); ++line) text += "paste line " + std::to_string(line) + "\n";
    display_settings.send_crlf = 2;
    open();
    ASSERT_TRUE(put_clipboard(window_of(port), text));
    paste_clipboard(port);
    ASSERT_TRUE(wait_until([&] { return port->paste_text == nullptr; }, 30000));
    ASSERT_TRUE(test_engine_settle(port));
    std::string expected;
    expected.reserve(text.size() * 2);
    for (char c : text) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(test_engine_written(port) == expected) << test_engine_written(port).size();
    EXPECT_GT(console_contents(port).size(), 0u);

    display_settings.input_mode = 1;
    refresh_display_settings(window_of(port));
    paste_clipboard(port);
    EXPECT_EQ(console_input_length(&port->console), 256);
    EXPECT_TRUE(test_engine_written(port) == expected);  // nothing more sent
}

}  // namespace

// "Send to all": typing, a function key and a paste in the active window reach every
// connected port and are shown in each console; a port that is not connected is
// skipped and carries no mark; off again, only the active port hears and every
// caption is as before.
struct SendToAll : TestEnginePorts {
    void TearDown() override
    {
        if (send_to_all_on()) send_to_all_toggle();  // never left on for the next test
        TestEnginePorts::TearDown();
    }
};

TEST_F(SendToAll, ReachesEveryConnectedPortAndMarksTheirCaptions)
{
    display_settings.echo_back = 1;
    Port* a = create_port(PORT_SERIAL, nullptr);
    Port* b = create_port(PORT_SERIAL, nullptr);
    Port* lost = create_port(PORT_SERIAL, nullptr);
    ASSERT_TRUE(a && b && lost);
    test_engine_give_up(lost);
    SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_of(a)), 0);
    pump_messages();
    const std::string caption = window_text(window_of(b));
    std::strcpy(display_settings.function_keys[0], "F\\r");

    send_to_all_toggle();
    EXPECT_EQ(window_text(window_of(b)), caption + " [\x91\x53]");  // [全]
    EXPECT_EQ(window_text(window_of(lost)).find("[\x91\x53]"), std::string::npos);
    for (unsigned char c : std::string("ab")) SendMessageA(window_of(a), WM_CHAR, c, 1);
    send_function_key(0);
    ASSERT_TRUE(put_clipboard(window_of(a), "p"));
    paste_clipboard(a);
    for (Port* port : {a, b, lost}) ASSERT_TRUE(test_engine_settle(port));
    pump_messages();
    for (Port* port : {a, b}) {
        EXPECT_EQ(test_engine_written(port), "abF\rp");
        EXPECT_EQ(console_contents(port), "abF\rp");
    }
    EXPECT_EQ(test_engine_written(lost), "");

    send_to_all_toggle();
    EXPECT_EQ(window_text(window_of(b)), caption);
    SendMessageA(window_of(a), WM_CHAR, 'c', 1);
    for (Port* port : {a, b}) ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(a), "abF\rpc");
    EXPECT_EQ(test_engine_written(b), "abF\rp");
}
