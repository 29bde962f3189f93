// Reading what arrived, as a person does it with tavex.exe on the bench's pty COM
// port and the test as the device: a kanji word that arrives across two reads is
// found with Ctrl+F, F3 finds the next, the selection copies it; each line's time
// shows beside the text and stays out of the copy; a receive log with time stamps;
// the counters after a megabyte.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

const char FIND_CAPTION[] = "\x8c\x9f\x8d\xf5";  // 検索
const char LOG_CAPTION[] = "\x8e\xf3\x90\x4d\xc3\xde\xb0\xc0\x82\xf0\xcc\xa7\xb2\xd9\x82\xc9\x95\xdb\x91\xb6";
const std::string WORD = "\x8e\xf3\x90\x4d";  // 受信
const std::string FROM_TOP = "\x90\xe6\x93\xaa\x82\xa9\x82\xe7\x8c\x9f\x8d\xf5\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

std::string copied(HWND frame, int command)
{
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(frame, WM_COMMAND, command, 0);
    return clipboard_text();
}

// Whether any pixel of the terminal window's client area left of `right` (client
// pixels) is the time stamps' grey: the gutter is drawn there, the text is black.
bool grey_left_of(HWND window, int right)
{
    RECT client;
    if (!GetClientRect(window, &client)) return false;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int width = right, height = client.bottom < 200 ? client.bottom : 200;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(dc, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    for (DWORD p : pixels)
        if ((p & 0xFFFFFF) == 0x808080) return true;
    return false;
}

struct ReadingEndToEnd : ComPortProgram {
    Started program;
    HWND frame = nullptr;
    void TearDown() override
    {
        if (frame && IsWindow(frame)) {
            PostMessageA(frame, WM_CLOSE, 0, 0);
            EXPECT_EQ(program.wait_exit(10000), 0u);
        }
    }
};

TEST_F(ReadingEndToEnd, FindTimeStampsLogAndCountersOnWhatADeviceSends)
{
    // New windows show their lines' times.
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"), "[console]\r\ntime stamp=1\r\n"));
    start(program, scratch.path());
    frame = wait_for_frame(20000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, 101, 0);
    ASSERT_TRUE(wait_until([&] { return terminal_window(frame) != nullptr; }, 10000));
    HWND terminal = terminal_window(frame);

    // The word's lead byte comes in one read, its rest in the next.
    const std::string first = "boot ok\r\nvalue \x8e", second = "\xf3\x90\x4d done\r\nagain " + WORD + "\r\n";
    ASSERT_TRUE(peer->write(first));
    Sleep(300);
    ASSERT_TRUE(peer->write(second));
    const std::string sent = first + second;
    ASSERT_TRUE(wait_until([&] { return copied(frame, 204) == sent; }, 5000)) << copied(frame, 204);

    // Ctrl+F (the character, as the accelerator takes it) opens the find window.
    PostMessageA(terminal, WM_CHAR, 0x06, 0);
    HWND find = wait_for_dialog(FIND_CAPTION, 1801);
    ASSERT_NE(find, nullptr);
    const wchar_t word[] = {0x53d7, 0x4fe1, 0};  // 受信
    SendMessageW(GetDlgItem(find, 1801), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(word));
    PostMessageA(find, WM_COMMAND, 1804, 0);  // "次を検索": the first
    Sleep(200);
    PostMessageA(GetDlgItem(find, 1801), WM_KEYDOWN, VK_F3, 0);  // F3: the second
    Sleep(200);
    EXPECT_EQ(copied(frame, 201), WORD);
    PostMessageA(GetDlgItem(find, 1801), WM_KEYDOWN, VK_F3, 0);  // past the second: round to the top
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 2) == FROM_TOP; }, 5000)) << status_text(frame, 2);

    // The times show in the gutter, and the copy is the bytes alone (above).
    InvalidateRect(terminal, nullptr, FALSE);
    UpdateWindow(terminal);
    Sleep(300);
    EXPECT_TRUE(grey_left_of(terminal, 4 + 13 * 8));

    // A receive log with time stamps, while the device sends a megabyte.
    const std::string log = scratch.file("stamped.log");
    PostMessageA(frame, WM_COMMAND, 405, 0);
    HWND dialog = wait_for_dialog(LOG_CAPTION, 1417);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(GetDlgItem(dialog, 1416), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(dialog, 1417), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, 1402), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(log.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until([&] { return file_exists(log); }, 5000));
    std::string data;
    int lines = 0;
    for (; data.size() < (1u << 20); ++lines) data += "record " + std::to_string(lines) + " " + WORD + "\r\n";
    ASSERT_TRUE(peer->write(data, 20000));
    const size_t stamped_size = data.size() + static_cast<size_t>(lines) * 26;
    EXPECT_TRUE(wait_until([&] { return read_file(log).size() >= stamped_size; }, 20000));
    const std::string logged = read_file(log);
    EXPECT_EQ(logged.size(), stamped_size);
    const std::regex line("\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] record (\\d+) " + WORD + "\r\n");
    int checked = 0;
    for (std::sregex_iterator it(logged.begin(), logged.end(), line), end; it != end; ++it, ++checked)
        if (std::stoi((*it)[1]) != checked) break;
    EXPECT_EQ(checked, lines);

    // The counters: every byte the device sent, none typed.
    std::string digits = std::to_string(sent.size() + data.size()), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    const std::string counters = "\x8e\xf3\x90\x4d " + grouped + " / \x91\x97\x90\x4d 0 byte";
    // A serial port's modem lines follow the counts.
    EXPECT_TRUE(wait_until([&] { return status_text(frame, 4).rfind(counters + "  CTS:", 0) == 0; }, 5000))
        << status_text(frame, 4);
}

}  // namespace
