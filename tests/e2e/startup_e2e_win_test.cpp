// Starts tavex.exe as a person would, in a scratch folder, and watches it from
// outside: the frame appears, a second start only raises it and exits with 0, and
// closing the frame ends the program with 0 without leaving a settings file; and on
// damaged settings files the frame still shows and the end is still orderly. Ports
// named on the command line open at start, or in the instance already running; the
// last session opens again in its layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/settings_files.h"
#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

const char SERIAL_OPEN_CAPTION[] = "\xbc\xd8\xb1\xd9\xce\xdf\xb0\xc4\xa5\xb5\xb0\xcc\xdf\xdd";  // ｼﾘｱﾙﾎﾟｰﾄ･ｵｰﾌﾟﾝ
const char COMMAND_LINE_CAPTION[] = "\xba\xcf\xdd\xc4\xde\xd7\xb2\xdd";                     // ｺﾏﾝﾄﾞﾗｲﾝ
const char LAST_SESSION_CAPTION[] = "\x91\x4f\x89\xf1\x82\xcc\xce\xdf\xb0\xc4";             // 前回のﾎﾟｰﾄ

// The terminal windows' rectangles in the MDI client, sorted.
std::vector<std::vector<LONG>> layout(HWND frame)
{
    HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
    std::vector<std::vector<LONG>> rects;
    for (HWND w = FindWindowExA(client, nullptr, "TAVEX CHILD", nullptr); client && w;
         w = FindWindowExA(client, w, "TAVEX CHILD", nullptr)) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back({r.left, r.top, r.right, r.bottom});
    }
    std::sort(rects.begin(), rects.end());
    return rects;
}

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

TEST(StartupEndToEnd, DamagedSettingsFilesStillShowTheFrameAndEndWithZero)
{
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    // Two files of one extreme throughout, and three of the in-process test's seeds.
    const std::string files[] = {settings_files::uniform_file("-1"), settings_files::uniform_file("4294967296"),
                                 settings_files::Maker(7).file(), settings_files::Maker(42).file(),
                                 settings_files::Maker(299).file()};
    int n = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(n++);
        ScratchDir scratch;
        ASSERT_TRUE(write_file(scratch.file("tavex.ini"), file));
        Started program;
        start(program, scratch.path());
        HWND frame = wait_for_frame(20000);
        ASSERT_NE(nullptr, frame);
        EXPECT_TRUE(wait_until([&] { return IsWindowVisible(frame) != 0; }, 5000));
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, program.wait_exit(20000));
        EXPECT_EQ(file, read_file(scratch.file("tavex.ini")));
    }
}

// A shortcut for one board: the ports on its command line open at start, a COM port
// with line settings of its own among them; one that does not open is told with its
// kind's warning and the others still open. A second start naming a port hands it
// to the first, which opens it, and ends. Nothing is written to tavex.ini.
TEST(StartupEndToEnd, PortsNamedOnTheCommandLineOpenHereOrInTheRunningInstance)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    ASSERT_NE(0, tcp_peer_port());
    const std::string peer = "127.0.0.1:" + std::to_string(tcp_peer_port());

    Started first;
    start(first, scratch.path(), SW_SHOWNORMAL, program_path(), "COM9 COM5:115200,8,N,1 " + peer);
    HWND box = wait_for_dialog(SERIAL_OPEN_CAPTION, IDOK, 20000);
    ASSERT_NE(nullptr, box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(wait_until([&] { return layout(frame).size() == 2u; }, 10000));

    Started second;
    start(second, scratch.path(), SW_SHOWNORMAL, program_path(), peer);
    EXPECT_EQ(0u, second.wait_exit(20000));
    EXPECT_TRUE(wait_until([&] { return layout(frame).size() == 3u; }, 10000));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.wait_exit(20000));
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

// "/?" shows the syntax, and an argument that names nothing is refused with it; either
// way the program ends there with no frame.
TEST(StartupEndToEnd, SyntaxAndARefusedArgumentAreToldAndTheProgramEnds)
{
    ScratchDir scratch;
    for (const char* arguments : {"/?", "COM5 COM0"}) {
        SCOPED_TRACE(arguments);
        Started program;
        start(program, scratch.path(), SW_SHOWNORMAL, program_path(), arguments);
        HWND box = wait_for_dialog(COMMAND_LINE_CAPTION, IDOK, 20000);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0u, program.wait_exit(20000));
    }
}

// The active terminal window's rectangle in the MDI client.
std::vector<LONG> active_place(HWND frame)
{
    HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
    RECT r = {};
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), &r);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// A session of three ports: with "終了時のﾎﾟｰﾄを次回も開く" turned on, the end writes
// them with their windows' places (tiled side by side) and the active one, and the
// next start, naming no port, opens them again in that layout. A port of the session
// that no longer opens is told in one message, and the others still open.
TEST(StartupEndToEnd, TheLastSessionOpensAgainInItsLayout)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    ASSERT_NE(0, tcp_peer_port());
    const std::string peer = "127.0.0.1:" + std::to_string(tcp_peer_port());
    std::vector<std::vector<LONG>> places;
    std::vector<LONG> active;
    {
        Started program;
        start(program, scratch.path(), SW_SHOWNORMAL, program_path(), "COM5 " + peer + " " + peer);
        HWND frame = wait_for_frame(20000);
        ASSERT_NE(nullptr, frame);
        ASSERT_TRUE(wait_until([&] { return layout(frame).size() == 3u; }, 10000));
        SendMessageA(frame, WM_COMMAND, 804, 0);
        SendMessageA(frame, WM_COMMAND, 501, 0);
        places = layout(frame);
        active = active_place(frame);
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_EQ(0u, program.wait_exit(20000));
    }
    const std::string ini = scratch.file("tavex.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("velkaro", "session ports", "4", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("velkaro", "session port 4", "COM9", ini.c_str()));

    Started program;
    start(program, scratch.path());
    HWND box = wait_for_dialog(LAST_SESSION_CAPTION, IDOK, 20000);
    ASSERT_NE(nullptr, box) << read_file(ini);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(wait_until([&] { return layout(frame).size() == 3u; }, 10000));
    EXPECT_EQ(layout(frame), places);
    EXPECT_EQ(active_place(frame), active);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.wait_exit(20000));
}

}  // namespace
