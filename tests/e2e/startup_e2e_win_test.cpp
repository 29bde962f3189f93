// Starts tavex.exe as a person would, in a scratch folder, and watches it from
// outside: the frame appears, a second start only raises it and exits with 0, and
// closing the frame ends the program with 0 without leaving a settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

TEST(StartupEndToEnd, SingleInstanceAndOrderlyEnd)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";

    Started first;
    start(first, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(nullptr, frame);
    char caption[64] = {};
    SendMessageA(frame, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
    EXPECT_STREQ("Velkaro", caption);
    DWORD owner = 0;
    GetWindowThreadProcessId(frame, &owner);
    EXPECT_EQ(first.info.dwProcessId, owner);

    // Minimized, then started again: the second instance restores the first and ends.
    ShowWindow(frame, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(frame));
    Started second;
    start(second, scratch.path());
    EXPECT_EQ(0u, second.wait_exit(20000));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), first.wait_exit(0));
    EXPECT_FALSE(IsIconic(frame));
    EXPECT_EQ(frame, FindWindowA("TAVEX FRAME", nullptr));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.wait_exit(20000));
    EXPECT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr));
    // Nothing was confirmed, so nothing was written.
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

}  // namespace
