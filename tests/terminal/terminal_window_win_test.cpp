// The terminal window with a test engine behind it: keys in both input modes, echo,
// Ctrl+C, function keys, the mouse selection and the clipboard both ways, the wheel,
// a paste that must wait for a write in flight, painting checked pixel by pixel in a
// memory bitmap, and closing while the engine still delivers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/console_clipboard_win.h"
#include "console/console_layout.h"
#include "console/console_view_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

struct TerminalTest : ::testing::Test {
    PortKindOps previous{};
    TestFrame* frame = nullptr;
    Port* port = nullptr;

    void SetUp() override
    {
        display_settings_defaults(&display_settings);
        display_settings.echo_back = 1;
        previous = test_engine_install(PORT_SERIAL);
        frame = new TestFrame();
        ASSERT_TRUE(frame->made);
        open();
    }
    void TearDown() override
    {
        delete frame;
        test_engine_restore(PORT_SERIAL, previous);
        display_settings_defaults(&display_settings);
    }
    void open()
    {
        if (port) close_port(port);
        port = create_port(PORT_SERIAL, nullptr);
        ASSERT_NE(port, nullptr);
        pump_messages();
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
    port->connection_state = 0;
    type("k");
    port->connection_state = 1;
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
    send_function_key(12);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "AT\r");
}

void put_clipboard(HWND owner, const std::string& text)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string get_clipboard(HWND owner)
{
    std::string text;
    if (!OpenClipboard(owner)) return text;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (const char* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
        text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
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
    ASSERT_GT(console->char_width, 0);
    int cw = console->char_width, lh = console->line_height;
    int y = 2 + lh / 2;
    // From the middle of "b" to the trail half of the character: it comes whole.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point(4 + cw + cw / 2, y));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, point(4 + 3 * cw + cw / 2, y));
    SendMessageA(window, WM_LBUTTONUP, 0, point(4 + 3 * cw + cw / 2, y));
    ASSERT_EQ(console->selection_state, 3);
    EXPECT_EQ(console_copy(&port->console), 1);
    EXPECT_EQ(get_clipboard(window), "b\x82\xa0");
    EXPECT_EQ(console->selection_state, 0);
    // Select all and copy: the stored bytes as they are.
    console_select_all_and_copy(&port->console);
    EXPECT_EQ(get_clipboard(window), "ab\x82\xa0" "cd\r\nnext");
    // A click without a drag selects nothing.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point(4 + cw / 2, y));
    SendMessageA(window, WM_LBUTTONUP, 0, point(4 + cw / 2, y));
    EXPECT_EQ(console->selection_state, 0);
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
    set_vscroll(console, 0, true);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
    EXPECT_EQ(console->vscroll_pos, 4);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(console->vscroll_pos, 2);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    EXPECT_EQ(console->vscroll_pos, 2);
    SendMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(console->vscroll_pos, 4);
    SendMessageA(window, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(console->vscroll_pos, console_vscroll_range(console) - console->page_rows);
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
    console->sel_anchor.offset = 4;
    console->sel_end.offset = 4;
    RECT client = {0, 0, 400, 200};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    console_paint(console, dc, &client);
    int cw = console->char_width, lh = console->line_height;
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
    EXPECT_EQ(console->input_area.top, client.bottom - lh - 4);
    EXPECT_EQ(console->row_table[0].offset, 0);
    EXPECT_EQ(console->row_table[0].count, 3);
    EXPECT_EQ(console->row_table[1].offset, 3);
    EXPECT_EQ(console->last_row, 1);
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

// Saves a 24-bit BMP of a window's current image.
bool save_window_bitmap(HWND window, const std::string& path)
{
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC source = GetWindowDC(window);
    HDC dc = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    GetDIBits(dc, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(window, source);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;
    return write_file(path, bytes);
}

// Not a check: with TAVEX_SCREENSHOT set to a host path, draws a terminal window
// with mixed text, Shift-JIS, control bytes in hexadecimal and a selection, and
// saves its picture there (see the README).
TEST_F(TerminalTest, Screenshot)
{
    std::string path = fixture_env("TAVEX_SCREENSHOT");
    if (path.empty()) GTEST_SKIP() << "TAVEX_SCREENSHOT not set";
    display_settings.hex_mode = 1;
    display_settings.receive_crlf = 2;
    open();
    MoveWindow(app.frame_window, 0, 0, 720, 420, TRUE);
    receive("Velkaro 1.0 - COM5 9600 8N1\r\n");
    receive("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67 (Shift-JIS)\r\n");
    receive("STX\x02 ESC\x1b[0m ETX\x03 TAB\there\r\n");
    receive("OK\r\n> ");
    Console* console = &port->console;
    console->sel_anchor.offset = 31;
    console->sel_end.offset = 46;
    console->selection_state = 3;
    InvalidateRect(window_of(port), nullptr, FALSE);
    for (int i = 0; i < 20; ++i) {
        pump_messages();
        Sleep(20);
    }
    EXPECT_TRUE(save_window_bitmap(app.frame_window, windows_path(path)));
}

}  // namespace
