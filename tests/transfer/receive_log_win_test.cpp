// The receive log through the test engine: the console's text and then every
// converted chunk in the file, the status of the focused port only, command 406 and
// the file closed (closing the port closes it too: the end-to-end test shows that);
// the dialog's list and check box, the overwrite question, and the dialog shown at
// once while another window repaints without end; a full disk that ends the log and
// says so while the console keeps every byte; stops while the engine delivers,
// after which no byte reaches a handle the file had; a port closed while its dialog
// or question is open; and a file whose writes never come back, which holds up
// neither reception nor the stop (the end-to-end story closes and exits with one).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/dialog_driver_win.h"
#include "tests/transfer/transfer_test_support.h"
#include "transfer/log_writer_win.h"
#include "transfer/receive_log_win.h"

namespace {

const std::string RECEIVING = "\x8e\xf3\x90\x4d\x92\x86 ";                                     // 受信中
const std::string CANNOT_WRITE = "\x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";  // に書き込めません
const char LOG_CAPTION[] = "\x8e\xf3\x90\x4d\xc3\xde\xb0\xc0\x82\xf0\xcc\xa7\xb2\xd9\x82\xc9\x95\xdb\x91\xb6";  // 受信ﾃﾞｰﾀをﾌｧｲﾙに保存

struct ReceiveLog : TransferPorts {
    void receive(Port* into, const std::string& bytes)
    {
        test_engine_receive(into, bytes);
        ASSERT_TRUE(test_engine_settle(into));
        pump_messages();
    }
    // Until the log's writer, on its own thread, has written count bytes in all.
    bool logged(Port* on, LONGLONG count)
    {
        return until([&] { return on->log_bytes >= count; });
    }
    void start_log(Port* on, const std::string& path)
    {
        std::strncpy(on->log_file_name, path.c_str(), sizeof on->log_file_name - 1);
        start_receive_log(on, app.frame_window);
    }
};

TEST_F(ReceiveLog, TheConsoleTextThenEveryConvertedChunk)
{
    receive(port, std::string(1000, 'c'));
    include_console_text = 1;
    const std::string path = scratch.file("log.txt");
    start_log(port, path);
    ASSERT_EQ(port->log_active, 1);
    EXPECT_EQ(read_file(path), std::string(1000, 'c'));
    // The elapsed time's last digit is left out: a loaded machine may pass a second.
    EXPECT_EQ(status(STATUS_RECEIVE_LOG).substr(0, RECEIVING.size() + 18), RECEIVING + "1000 byte (00:00:0");
    EXPECT_TRUE(enabled(CMD_LOG_STOP));

    // As the console gets it: CR becomes CR LF.
    display_settings.receive_crlf = 0;
    receive(port, "a\rb\r" + std::string(20000, 'x'));
    const std::string converted = "a\r\nb\r\n" + std::string(20000, 'x');
    ASSERT_TRUE(logged(port, 1000 + static_cast<LONGLONG>(converted.size())));
    EXPECT_EQ(read_file(path), std::string(1000, 'c') + converted);
    EXPECT_EQ(port->log_bytes, 1000 + static_cast<LONGLONG>(converted.size()));
    EXPECT_TRUE(until([&] {
        return status(STATUS_RECEIVE_LOG).substr(0, RECEIVING.size() + 19) == RECEIVING + "21006 byte (00:00:0";
    })) << status(STATUS_RECEIVE_LOG);

    // A port that logs while another has the focus leaves the text alone.
    Port* first = port;
    ASSERT_NE(open_other(), nullptr);
    EXPECT_EQ(status(STATUS_RECEIVE_LOG), "");
    EXPECT_FALSE(enabled(CMD_LOG_STOP));
    receive(first, "more");
    ASSERT_TRUE(logged(first, 21010));
    EXPECT_EQ(status(STATUS_RECEIVE_LOG), "");
    activate(first);
    EXPECT_EQ(status(STATUS_RECEIVE_LOG).substr(0, RECEIVING.size() + 19), RECEIVING + "21010 byte (00:00:0");

    // 406: the file is closed (deleting it is refused while it is open).
    command(CMD_LOG_STOP);
    EXPECT_EQ(port->log_active, 0);
    EXPECT_EQ(port->receive_hook, nullptr);
    EXPECT_EQ(status(STATUS_RECEIVE_LOG), "");
    EXPECT_FALSE(enabled(CMD_LOG_STOP));
    receive(port, "after");
    EXPECT_EQ(read_file(path).size(), 21010u);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// What the timers saw and did.
struct DialogScript {
    std::vector<std::string> ports;
    int console_text_box;
    std::string question;
    bool overwrite;
    std::string file;
} script;

void choose_file_and_ok(HWND dialog)
{
    HWND ports = GetDlgItem(dialog, 1401);
    script.ports.clear();
    for (int i = 0; i < SendMessageA(ports, CB_GETCOUNT, 0, 0); ++i) {
        char text[160] = {};
        SendMessageA(ports, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        script.ports.push_back(text);
    }
    script.console_text_box = IsDlgButtonChecked(dialog, 1416);
    CheckDlgButton(dialog, 1416, BST_UNCHECKED);
    SetDlgItemTextA(dialog, 1402, script.file.c_str());
    drive_dialog(LOG_CAPTION, [](HWND box) {
        script.question = message_box_text(box);
        PostMessageA(box, WM_COMMAND, script.overwrite ? IDYES : IDNO, 0);
    });
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// A window whose paint is never done, as a console's under a flood of received bytes.
LRESULT CALLBACK never_painted(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    if (message != WM_PAINT) return DefWindowProcA(window, message, wparam, lparam);
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

// Waits on a thread of its own for the log dialog to show, notes when, and cancels it
// (after 3 s whether shown or not).
DWORD WINAPI cancel_when_shown(void* parameter) noexcept
{
    auto* shown_ms = static_cast<volatile LONG*>(parameter);
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (GetTickCount() - start < 3000) {
        dialog = FindWindowA("#32770", LOG_CAPTION);
        if (dialog && IsWindowVisible(dialog)) {
            InterlockedExchange(shown_ms, static_cast<LONG>(GetTickCount() - start));
            break;
        }
        Sleep(5);
    }
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

// A modal loop shows a dialog that is not visible from the start only when its queue
// is empty, which a window repainted without end never lets it be.
TEST_F(ReceiveLog, TheDialogShowsWhileAWindowRepaintsWithoutEnd)
{
    WNDCLASSA type = {};
    type.lpfnWndProc = never_painted;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "never painted";
    RegisterClassA(&type);
    HWND busy = CreateWindowA("never painted", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                              type.hInstance, nullptr);
    ASSERT_NE(busy, nullptr);
    volatile LONG shown_ms = -1;
    HANDLE canceller = CreateThread(nullptr, 0, cancel_when_shown, const_cast<LONG*>(&shown_ms), 0, nullptr);
    ASSERT_NE(canceller, nullptr);
    start_receive_log_command(app.frame_window);
    WaitForSingleObject(canceller, 5000);
    CloseHandle(canceller);
    DestroyWindow(busy);
    EXPECT_GE(shown_ms, 0) << "the dialog never showed";
    EXPECT_LT(shown_ms, 1000);
    EXPECT_EQ(port->log_active, 0);
}

TEST_F(ReceiveLog, TheDialogOffersPortsNotLoggingAndAsksBeforeOverwriting)
{
    Port* logging = port;
    start_log(logging, scratch.file("first.txt"));
    ASSERT_EQ(logging->log_active, 1);
    Port* other = create_port(PORT_SERIAL, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(write_file(scratch.file("exists.txt"), "keep me"));
    receive(other, "console");
    include_console_text = 1;

    script = DialogScript{};
    script.file = scratch.file("exists.txt");
    script.overwrite = false;
    drive_dialog(LOG_CAPTION, choose_file_and_ok);
    start_receive_log_command(app.frame_window);
    EXPECT_EQ(script.ports, std::vector<std::string>{other->long_name(other)});
    EXPECT_EQ(script.console_text_box, BST_CHECKED);
    EXPECT_EQ(script.question, "\"" + script.file + "\"\x82\xcd\x8a\xf9\x82\xc9\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb7\x81"
                                                    "\x42\x8f\xe3\x8f\x91\x82\xab\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48");
    EXPECT_EQ(other->log_active, 0);  // No: nothing starts
    EXPECT_EQ(read_file(script.file), "keep me");
    EXPECT_EQ(include_console_text, 0);

    // Yes: the file is emptied, and without the console's text it stays so until data comes.
    script.overwrite = true;
    drive_dialog(LOG_CAPTION, choose_file_and_ok);
    start_receive_log_command(app.frame_window);
    EXPECT_EQ(other->log_active, 1);
    EXPECT_EQ(read_file(script.file), "");
    receive(other, "new");
    ASSERT_TRUE(logged(other, 3));
    EXPECT_EQ(read_file(script.file), "new");

    // Both ports log: the dialog ends at once.
    DWORD start = GetTickCount();
    start_receive_log_command(app.frame_window);
    EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST_F(ReceiveLog, AFullDiskEndsTheLogAndSaysSoWhileTheConsoleKeepsEverything)
{
    const std::string disk = fixture_env("TAVEX_TEST_SMALL_DISK");
    if (disk.empty()) GTEST_SKIP() << "the bench mounted no small filesystem (TAVEX_TEST_SMALL_DISK)";
    display_settings.buffer_size = 2048;  // the console holds all of it
    open();
    const std::string path = windows_path(disk) + "\\full.log";
    DeleteFileA(path.c_str());
    start_log(port, path);
    ASSERT_EQ(port->log_active, 1);
    std::string stream;
    // Lines shorter than the wrap column, few enough for the console's line table.
    for (int i = 0; stream.size() < 600000; ++i) {
        std::string line = "line " + std::to_string(i) + " ";
        stream += line + std::string(70 - line.size(), '.') + "\r\n";
    }
    static std::string told;
    told.clear();
    drive_dialog(LOG_CAPTION, [](HWND box) {
        told = message_box_text(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    test_engine_receive(port, stream);
    ASSERT_TRUE(test_engine_settle(port));
    ASSERT_TRUE(until([&] { return dialog_was_driven(); }));
    EXPECT_EQ(told.find("\"" + path + "\"" + CANNOT_WRITE), 0u) << told;
    EXPECT_EQ(port->log_active, 0);
    EXPECT_EQ(status(STATUS_RECEIVE_LOG), "");
    EXPECT_EQ(console_contents(port), stream);
    const std::string logged = read_file(path);
    EXPECT_GT(logged.size(), 0u);
    EXPECT_LT(logged.size(), stream.size());
    EXPECT_EQ(stream.compare(0, logged.size(), logged), 0);  // what it holds is whole, with no hole
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(ReceiveLog, StopsWhileTheEngineDeliversLoseNothingAndReachNoOtherFile)
{
    display_settings.buffer_size = 1024;  // the console holds a round's bytes
    open();
    std::string piece;
    while (piece.size() < 2960) piece += std::string(78, 'p') + "\r\n";
    for (int round = 0; round < 4; ++round) {
        console_clear_all(&port->console);
        const std::string path = scratch.file(("round" + std::to_string(round) + ".log").c_str());
        start_log(port, path);
        for (int i = 0; i < 100; ++i) test_engine_receive(port, piece);
        Sleep(5);
        stop_receive_log(port);
        // Likely to get the handle value the log had: it must receive nothing.
        const std::string other = scratch.file(("other" + std::to_string(round) + ".bin").c_str());
        HANDLE file = CreateFileA(other.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(test_engine_settle(port));
        CloseHandle(file);
        EXPECT_EQ(read_file(other), "");
        // The console has every byte, logged or not, also those that came while it stopped.
        EXPECT_EQ(console_contents(port).size(), 100 * piece.size());
        const std::string logged = read_file(path);
        EXPECT_EQ(logged.size(), static_cast<size_t>(port->log_bytes));
        EXPECT_EQ(logged.find_first_not_of(piece), std::string::npos);
    }
}

// What the routines below act on: the port to close under a dialog or a question,
// and the one opened in its place (at the same address, as often as not).
Port* closing;
Port* opened;

// The port's window closed by its close box while a modal loop runs, as the user
// can; then another port opened.
void close_and_open_another()
{
    SendMessageA(window_of(closing), WM_CLOSE, 0, 0);
    pump_messages();  // the frame's close request, handled in the modal loop
    opened = create_port(PORT_SERIAL, nullptr);
}

TEST_F(ReceiveLog, APortClosedWhileItsDialogOrQuestionIsOpenIsLeftAlone)
{
    ASSERT_TRUE(write_file(scratch.file("exists.txt"), "keep me"));
    closing = port;
    drive_dialog(LOG_CAPTION, [](HWND box) {
        close_and_open_another();
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    });
    start_log(port, scratch.file("exists.txt"));
    ASSERT_TRUE(dialog_was_driven());
    port = opened;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(read_file(scratch.file("exists.txt")), "keep me");
    EXPECT_EQ(opened->log_active, 0) << (opened == closing ? "at the closed port's address" : "elsewhere");

    // The same in the dialog: its port closed and another opened, then OK.
    closing = port;
    drive_dialog(LOG_CAPTION, [](HWND dialog) {
        SetDlgItemTextA(dialog, 1402, "new.log");
        close_and_open_another();
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    start_receive_log_command(app.frame_window);
    ASSERT_TRUE(dialog_was_driven());
    port = opened;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->log_active, 0) << (opened == closing ? "at the closed port's address" : "elsewhere");
    EXPECT_FALSE(file_exists(scratch.file("new.log")));
}

// A file whose writes never come back (a share gone quiet, a disk that hangs): the
// write is the writer's own thread's, so reception goes on, the stop (406) ends
// within its bound, and a log that fills its queue meanwhile ends with the message.
HANDLE released;
volatile LONG writes_entered;

BOOL WINAPI write_never_returns(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED)
{
    InterlockedIncrement(&writes_entered);
    WaitForSingleObject(released, INFINITE);
    *written = 0;
    return FALSE;
}

TEST_F(ReceiveLog, AFileWhoseWritesNeverReturnHoldsUpNothing)
{
    released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(released, nullptr);
    writes_entered = 0;
    auto write_file_before = log_writer_write_file;
    log_writer_write_file = write_never_returns;
    include_console_text = 0;
    auto stuck_log = [&](Port* on, const char* name) {
        start_log(on, scratch.file(name));
        ASSERT_EQ(on->log_active, 1);
        LONG entered = writes_entered;
        test_engine_receive(on, std::string(100000, 'r'));
        ASSERT_TRUE(until([&] { return writes_entered > entered; }, 5000));
        ASSERT_TRUE(test_engine_settle(on, 1000));
    };

    stuck_log(port, "stop.log");
    DWORD stop_start = GetTickCount();
    command(CMD_LOG_STOP);
    EXPECT_LT(GetTickCount() - stop_start, 1000u);
    EXPECT_EQ(port->log_active, 0);

    // More than the queue holds: reception waits for room only while the write might
    // still come back, then the log ends and says so; the console shows what came to
    // the end (its line table keeps the last lines of so long a stream).
    static std::string told;
    told.clear();
    drive_dialog(LOG_CAPTION, [](HWND box) { told = dismiss_message_box(box); });
    stuck_log(port, "full.log");
    const std::string flood(2u << 20, 'f');
    DWORD start = GetTickCount();
    test_engine_receive(port, flood);
    ASSERT_TRUE(test_engine_settle(port, 10000));
    EXPECT_LT(GetTickCount() - start, LOG_WRITER_STALL_MS + 2000);
    ASSERT_TRUE(until([&] { return dialog_was_driven() && port->log_active == 0; }, 5000));
    EXPECT_EQ(told.find("\"" + scratch.file("full.log") + "\"" + CANNOT_WRITE), 0u) << told;
    const std::string shown = console_contents(port);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown.find_first_not_of('f'), std::string::npos);

    // The writers left in the system end once their writes return, and free what they own.
    log_writer_write_file = write_file_before;
    SetEvent(released);
    Sleep(100);
    CloseHandle(released);
}

}  // namespace
