// Velkaro on a parallel port and on a USB device, as a person uses it: start it in a
// scratch folder; with the bench's LPT2 the only parallel port, 102 opens it without
// a dialog and typed bytes reach the far end. Without a host controller 104 is grayed;
// with one, and the bench's device in the list (saved from the settings page earlier),
// 104 asks which device, opens it as "Echo(USB1)", and what is typed comes back from
// the device into the console. Keys are posted to the terminal window.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

bool button_enabled(HWND frame, int id)
{
    HWND toolbar = FindWindowExA(frame, nullptr, TOOLBARCLASSNAMEA, nullptr);
    return toolbar && SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) != 0;
}

std::string caption(HWND window)
{
    char text[128] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void type(HWND terminal, const std::string& keys)
{
    for (char c : keys) PostMessageA(terminal, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void close_program(HWND frame, Started& program)
{
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(10000), 0u);
}

TEST(ParallelEndToEnd, TheOnlyLptPortOpensAtOnceAndTypedBytesReachIt)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    StreamEnd far_end(windows_path(fixture_env("TAVEX_TEST_LPT_PEER")));
    ASSERT_TRUE(far_end.is_open()) << "run under the test bench";
    DeleteFileA(windows_path(fixture_env("TAVEX_TEST_HCD0")).c_str());

    Started program;
    start(program, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(wait_until([&] { return button_enabled(frame, 102); }, 5000));
    EXPECT_FALSE(button_enabled(frame, 104));  // no host controller

    PostMessageA(frame, WM_COMMAND, 102, 0);
    ASSERT_TRUE(wait_until([&] { return terminal_window(frame) != nullptr; }, 10000));
    HWND terminal = terminal_window(frame);
    EXPECT_EQ(caption(terminal), "\xca\xdf\xd7\xda\xd9\xce\xdf\xb0\xc4 (LPT2)");  // ﾊﾟﾗﾚﾙﾎﾟｰﾄ (LPT2)
    type(terminal, "PRINT\r");
    EXPECT_EQ(far_end.read(6, 5000), "PRINT\r");
    close_program(frame, program);
}

TEST(UsbEndToEnd, AListedDeviceOpensAndEchoesWhatIsTyped)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    std::string device = fixture_env("TAVEX_TEST_USB_DEVICE");
    ASSERT_FALSE(device.empty()) << "run under the test bench";
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"),
                           "[usb]\r\ndevice name 1=Echo\r\nguid 1=" + device + "\r\ninput pipe 1=" +
                               fixture_env("TAVEX_TEST_USB_TO_HOST") + "\r\noutput pipe 1=" +
                               fixture_env("TAVEX_TEST_USB_FROM_HOST") + "\r\nentry=1\r\n"));
    std::string hcd = windows_path(fixture_env("TAVEX_TEST_HCD0"));
    ASSERT_TRUE(write_file(hcd, ""));

    Started program;
    start(program, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(wait_until([&] { return button_enabled(frame, 104); }, 5000));

    PostMessageA(frame, WM_COMMAND, 104, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            // 接続 - USBﾎﾟｰﾄ
            return (dialog = FindWindowA("#32770", "\x90\xda\x91\xb1\x20\x2d\x20\x55\x53\x42\xce\xdf\xb0\xc4")) !=
                   nullptr;
        },
        5000));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until([&] { return terminal_window(frame) != nullptr; }, 10000));
    HWND terminal = terminal_window(frame);
    EXPECT_EQ(caption(terminal), "Echo(USB1)");
    type(terminal, "hello");
    // The console shows the echo: "すべてを選択してｺﾋﾟｰ" puts it on the clipboard.
    EXPECT_TRUE(wait_until(
        [&] {
            PostMessageA(frame, WM_COMMAND, 204, 0);
            Sleep(50);
            return clipboard_text() == "hello";
        },
        5000))
        << clipboard_text();
    close_program(frame, program);
    DeleteFileA(hcd.c_str());
}

}  // namespace
