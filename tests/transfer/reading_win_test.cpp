// The console's reading aids as a user drives them, one story each: the find window
// (commands 810 to 812, its F3 keys, its notes), the time stamps of a window
// (command 813) and of the receive log, the counters in status-bar part 4 (command
// 814), and saving what is shown (command 815). Test-engine ports in the program's
// frame; UI thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "app/find_window_win.h"
#include "console/console_clipboard_win.h"
#include "console/console_layout.h"
#include "console/console_selection.h"
#include "resources/console_ids.h"
#include "resources/transfer_ids.h"
#include "terminal/reading_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/transfer/transfer_test_support.h"
#include "transfer/receive_log_win.h"
#include "transfer/transfer_port_win.h"

namespace {

const char FIND_CAPTION[] = "\x8c\x9f\x8d\xf5";  // 検索
const std::string FROM_TOP = "\x90\xe6\x93\xaa\x82\xa9\x82\xe7\x8c\x9f\x8d\xf5\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
const std::string FROM_END = "\x96\x96\x94\xf6\x82\xa9\x82\xe7\x8c\x9f\x8d\xf5\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
const std::string NOT_FOUND = "\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
const char SAVE_CAPTION[] = "\x95\x5c\x8e\xa6\x93\xe0\x97\x65\x82\xf0\xcc\xa7\xb2\xd9\x82\xc9\x95\xdb\x91\xb6";
const std::string RECEIVED = "\x8e\xf3\x90\x4d ";
const std::string SENT = " / \x91\x97\x90\x4d ";
const char* const STAMP = "\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] ";

struct Reading : TransferPorts {
    void receive(Port* into, const std::string& bytes)
    {
        test_engine_receive(into, bytes);
        ASSERT_TRUE(test_engine_settle(into));
        pump_messages();
    }
    bool checked(int id) const
    {
        return (GetMenuState(GetMenu(app.frame_window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    bool menu_enabled(int id) const
    {
        return (GetMenuState(GetMenu(app.frame_window), id, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    std::string selected() const
    {
        Console* c = &port->console;
        std::string s(console_selection_copy_length(c) + 1, '\0');
        console_selection_copy_text(c, &s[0]);
        s.pop_back();
        return s;
    }
    std::string clipboard() const
    {
        std::string text;
        if (!OpenClipboard(app.frame_window)) return text;
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* p = static_cast<const char*>(GlobalLock(data))) text = p;
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
};

// A key as the message loop hands it to the find window first.
bool press(HWND to, WPARAM key, bool shift)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg = {to, WM_KEYDOWN, key, 0, 0, {0, 0}};
    const bool taken = find_window_pretranslate(&msg);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    return taken;
}

TEST_F(Reading, FindWindowStepsThroughMatchesWithNotesAndKeys)
{
    receive(port, "OK 1\r\nerr\r\nok 2\r\n");
    command(CMD_FIND_NEXT);  // nothing to find yet: the window opens
    HWND find = FindWindowA("#32770", FIND_CAPTION);
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(IsWindowVisible(find));
    HWND edit = GetDlgItem(find, IDC_FIND_TEXT);
    SetWindowTextA(edit, "ok");
    SendMessageA(find, WM_COMMAND, IDC_FIND_NEXT, 0);
    EXPECT_EQ(selected(), "OK");
    EXPECT_TRUE(menu_enabled(CMD_COPY));
    EXPECT_TRUE(press(edit, VK_F3, false));  // F3: the next
    EXPECT_EQ(console_selection_range(&port->console).lo, 11);
    EXPECT_EQ(status(STATUS_FILE_SEND), "");
    EXPECT_TRUE(press(edit, VK_F3, false));  // round to the top, and says so
    EXPECT_EQ(console_selection_range(&port->console).lo, 0);
    EXPECT_EQ(status(STATUS_FILE_SEND), FROM_TOP);
    EXPECT_EQ(window_text(GetDlgItem(find, IDC_FIND_NOTE)), FROM_TOP);
    EXPECT_TRUE(press(edit, VK_F3, true));  // Shift+F3: back round to the end
    EXPECT_EQ(console_selection_range(&port->console).lo, 11);
    EXPECT_EQ(status(STATUS_FILE_SEND), FROM_END);
    command(CMD_COPY);
    EXPECT_EQ(clipboard(), "ok");
    command(CMD_FIND_PREVIOUS);  // from the match, though the copy ended the selection
    EXPECT_EQ(console_selection_range(&port->console).lo, 0);

    // In the terminal window F3 is no find: the find window leaves it alone.
    EXPECT_FALSE(press(window_of(port), VK_F3, false));

    SetWindowTextA(edit, "0d 0a");
    CheckDlgButton(find, IDC_FIND_HEX, BST_CHECKED);
    command(CMD_FIND_NEXT);
    EXPECT_EQ(selected(), "\r\n");
    CheckDlgButton(find, IDC_FIND_HEX, BST_UNCHECKED);
    CheckDlgButton(find, IDC_FIND_MATCH_CASE, BST_CHECKED);
    SetWindowTextA(edit, "OK 2");
    command(CMD_FIND_NEXT);
    EXPECT_EQ(status(STATUS_FILE_SEND), NOT_FOUND);
    EXPECT_EQ(selected(), "\r\n");  // the last match stays selected

    // Ctrl+F again shows the same window; Escape hides it.
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(find));
    command(CMD_FIND);
    EXPECT_EQ(FindWindowA("#32770", FIND_CAPTION), find);
    EXPECT_TRUE(IsWindowVisible(find));
}

// Each window shows its lines' times or not; the check mark follows the active one;
// what is selected, copied and logged is the bytes alone, unless the log asks.
TEST_F(Reading, TimeStampsPerWindowAndInTheLog)
{
    receive(port, "first\r\nsecond\r\n");
    EXPECT_TRUE(menu_enabled(CMD_TIME_STAMPS));
    EXPECT_FALSE(checked(CMD_TIME_STAMPS));
    const std::int32_t left = console_text_left(&port->console);
    command(CMD_TIME_STAMPS);
    EXPECT_TRUE(checked(CMD_TIME_STAMPS));
    EXPECT_EQ(port->console.view.time_stamps, 1);
    EXPECT_EQ(console_text_left(&port->console), left + CONSOLE_STAMP_CELLS * port->console.view.char_width);

    Port* first = port;
    Port* other = open_other();
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(checked(CMD_TIME_STAMPS));
    activate(first);
    EXPECT_TRUE(checked(CMD_TIME_STAMPS));

    const std::string path = scratch.file("stamped.log");
    std::strncpy(transfer_port(first)->log_file_name, path.c_str(), sizeof transfer_port(first)->log_file_name - 1);
    include_console_text = 1;
    log_time_stamps = 1;
    start_receive_log(first, app.frame_window);
    receive(first, "third\r\nfourth");
    stop_receive_log(first);
    log_time_stamps = 0;
    const std::string s = STAMP;
    EXPECT_TRUE(std::regex_match(read_file(path), std::regex(s + "first\r\n" + s + "second\r\n" + s + "third\r\n" + s +
                                                             "fourth")))
        << read_file(path);
    close_port(other);
}

TEST_F(Reading, CountersAfterAMegabyteAndTheirReset)
{
    KillTimer(window_of(port), 2);  // the ticks are the test's to give
    receive(port, std::string(1 << 20, 'x'));
    ASSERT_EQ(port_send(port, reinterpret_cast<const unsigned char*>("hello"), 5, nullptr), 5);
    ASSERT_TRUE(test_engine_settle(port));
    show_counters(port);
    EXPECT_EQ(status(STATUS_COUNTERS), RECEIVED + "1,048,576" + SENT + "5 byte");
    counters_tick(port);  // a second with a megabyte in it
    EXPECT_EQ(status(STATUS_COUNTERS), RECEIVED + "1,048,576" + SENT + "5 byte (1,048,576 byte/s)");
    counters_tick(port);  // and a quiet one
    EXPECT_EQ(status(STATUS_COUNTERS), RECEIVED + "1,048,576" + SENT + "5 byte");
    EXPECT_TRUE(menu_enabled(CMD_RESET_COUNTERS));
    command(CMD_RESET_COUNTERS);
    EXPECT_EQ(status(STATUS_COUNTERS), RECEIVED + "0" + SENT + "0 byte");
    receive(port, "abc");
    show_counters(port);
    EXPECT_EQ(status(STATUS_COUNTERS), RECEIVED + "3" + SENT + "0 byte");
}

std::string save_path;
bool save_selection, save_stamps;

void fill_save_dialog(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_SAVE_FILE, save_path.c_str());
    CheckDlgButton(dialog, IDC_SAVE_SELECTION, save_selection ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SAVE_TIME_STAMPS, save_stamps ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(Reading, SaveWhatIsShownWholeOrSelectedWithOrWithoutTimes)
{
    receive(port, "one\r\ntwo \x95\x5c\r\nthree");
    save_path = scratch.file("shown.txt");
    save_selection = false;
    save_stamps = false;
    EXPECT_TRUE(menu_enabled(CMD_SAVE_SHOWN));
    drive_dialog(SAVE_CAPTION, fill_save_dialog);
    command(CMD_SAVE_SHOWN);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(read_file(save_path), "one\r\ntwo \x95\x5c\r\nthree");

    save_path = scratch.file("selected.txt");
    save_selection = save_stamps = true;
    port->console.selection.selection_state = 3;
    port->console.selection.sel_anchor.offset = 5;
    port->console.selection.sel_end.offset = 10;
    drive_dialog(SAVE_CAPTION, fill_save_dialog);
    command(CMD_SAVE_SHOWN);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_TRUE(std::regex_match(read_file(save_path), std::regex(std::string(STAMP) + "two \x95\\\\")))
        << read_file(save_path);
}

}  // namespace
