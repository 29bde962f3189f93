// The send-bytes window on a test engine's port, as a user goes through it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/send_bytes_window_win.h"
#include "resources/send_bytes_ids.h"
#include "terminal/paced_send_win.h"
#include "terminal/send_bytes.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char CAPTION[] = "\xc3\xde\xb0\xc0\x91\x97\x90\x4d"; // ﾃﾞｰﾀ送信

struct SendBytesWindow : TestEnginePorts {
    HWND window = nullptr;
    void SetUp() override
    {
        TestEnginePorts::SetUp();
        open();
        send_bytes_window_open(app.frame_window);
        window = FindWindowA("#32770", CAPTION);
        ASSERT_NE(window, nullptr);
    }
    void fill(const char* data, bool hex, const char* repeat, const char* interval)
    {
        SetDlgItemTextA(window, IDC_SEND_BYTES_DATA, data);
        CheckRadioButton(window, IDC_SEND_BYTES_HEX, IDC_SEND_BYTES_TEXT,
                         hex ? IDC_SEND_BYTES_HEX : IDC_SEND_BYTES_TEXT);
        SetDlgItemTextA(window, IDC_SEND_BYTES_REPEAT, repeat);
        SetDlgItemTextA(window, IDC_SEND_BYTES_INTERVAL, interval);
    }
    void click(int id) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    std::string note() { return window_text(GetDlgItem(window, IDC_SEND_BYTES_NOTE)); }
    bool stop_enabled() { return IsWindowEnabled(GetDlgItem(window, IDC_SEND_BYTES_STOP)) != FALSE; }
    // Lets the window's timer see the send's end.
    bool ended(DWORD timeout_ms = 5000)
    {
        return wait_until(
            [&] {
                pump_messages();
                return !stop_enabled();
            },
            timeout_ms);
    }
};

// Said and sent: a bad or too long field sends nothing, a repeat goes out whole and counts, the
// drop-down brings the older entry back with its mode; with the device holding its
// write one piece is in flight and nothing more, "中止" ends the repeat there, and a
// port closed under a running repeat ends it too.
TEST_F(SendBytesWindow, SendsCountsRemembersAndStops)
{
    fill("02 4", true, "1", "0");
    click(IDC_SEND_BYTES_SEND);
    EXPECT_EQ(note(), send_bytes_message(SEND_BYTES_ODD_DIGITS));
    // A megabyte pasted into the field, as a user would put it there: cut at the
    // field's limit, one past the longest sent, and refused.
    ASSERT_TRUE(put_clipboard(window, std::string(1 << 20, 'A')));
    SendMessageA(FindWindowExA(GetDlgItem(window, IDC_SEND_BYTES_DATA), nullptr, "Edit", nullptr), WM_PASTE, 0, 0);
    click(IDC_SEND_BYTES_SEND);
    EXPECT_EQ(note(), send_bytes_message(SEND_BYTES_TOO_LONG));
    fill("A\\r", false, "3", "0");
    click(IDC_SEND_BYTES_SEND);
    ASSERT_TRUE(ended());
    EXPECT_EQ(test_engine_written(port), "A\rA\rA\r");
    EXPECT_NE(note().find("(3/3"), std::string::npos) << note();
    fill("02 03", true, "1", "0");
    click(IDC_SEND_BYTES_SEND);
    ASSERT_TRUE(ended());
    EXPECT_EQ(test_engine_written(port), "A\rA\rA\r\x02\x03");
    // The older entry chosen in the drop-down brings its mode back.
    HWND combo = GetDlgItem(window, IDC_SEND_BYTES_DATA);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SEND_BYTES_DATA, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_SEND_BYTES_TEXT), BST_CHECKED);

    test_engine_hold(port, true);
    fill("01", true, "1000000", "0");
    click(IDC_SEND_BYTES_SEND);
    EXPECT_TRUE(stop_enabled());
    EXPECT_TRUE(window_send_refused(port, false));  // typing waits meanwhile
    click(IDC_SEND_BYTES_STOP);
    ASSERT_TRUE(ended(1000));
    test_engine_hold(port, false);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_LE(test_engine_written(port).size(), 9u);  // the held piece at most

    fill("01", true, "1000000", "10");
    click(IDC_SEND_BYTES_SEND);
    ASSERT_TRUE(stop_enabled());
    close_port(port);
    ASSERT_TRUE(ended(1000));
    EXPECT_FALSE(note().empty());
}

} // namespace
