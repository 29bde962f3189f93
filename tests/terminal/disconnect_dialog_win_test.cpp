// The disconnect dialog over real MDI children holding ports, driven by a timer in
// its own modal loop; and the frame's two port messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal/disconnect_dialog_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char DISCONNECT_CAPTION[] = "\x90\xd8\x92\x66";  // 切断

struct DisconnectTest : TestEnginePorts {
    Port* open_with_window()
    {
        Port* port = create_port(PORT_SERIAL, nullptr);
        EXPECT_NE(port, nullptr);
        return port;
    }
};

// What the timer saw in the dialog, and what it does there.
struct DialogScript {
    std::vector<std::string> entries;
    int choose;  // entry to double-click; -1: Cancel
    bool found;
    void (*meanwhile)();  // what else happens while the dialog is open
};
DialogScript script;

void CALLBACK drive_dialog(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    HWND dialog = FindWindowA("#32770", DISCONNECT_CAPTION);
    if (!dialog) return;
    KillTimer(nullptr, timer);
    script.found = true;
    HWND list = GetDlgItem(dialog, 1001);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[160] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        script.entries.push_back(text);
    }
    if (script.meanwhile) script.meanwhile();
    if (script.choose < 0) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(script.choose), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

void run_dialog(int choose, void (*meanwhile)() = nullptr)
{
    script = DialogScript{};
    script.choose = choose;
    script.meanwhile = meanwhile;
    SetTimer(nullptr, 0, 100, drive_dialog);
    disconnect_command(app.frame_window);
}

TEST_F(DisconnectTest, DoubleClickClosesOnlyThatPort)
{
    Port* first = open_with_window();
    Port* second = open_with_window();
    std::string first_name = first->long_name(first), second_name = second->long_name(second);
    run_dialog(1);
    ASSERT_TRUE(script.found);
    ASSERT_EQ(script.entries.size(), 2u);
    // The order the MDI client lists its children in: each entry names one port.
    EXPECT_NE(script.entries[0], script.entries[1]);
    for (const std::string& entry : script.entries) EXPECT_TRUE(entry == first_name || entry == second_name);
    Port* closed = script.entries[1] == first_name ? first : second;
    Port* kept = closed == first ? second : first;
    EXPECT_FALSE(port_is_open(closed));
    EXPECT_TRUE(port_is_open(kept));
    EXPECT_EQ(open_port_count, 1);
}

TEST_F(DisconnectTest, CancelClosesNothing)
{
    Port* port = open_with_window();
    run_dialog(-1);
    ASSERT_TRUE(script.found);
    EXPECT_EQ(script.entries.size(), 1u);
    EXPECT_TRUE(port_is_open(port));
}

TEST_F(DisconnectTest, WithoutPortsTheDialogEndsAtOnce)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(disconnect_dialog(app.frame_window), nullptr);
    EXPECT_LT(GetTickCount() - start, 2000u);
}

// While the dialog is open both listed ports are closed by their windows' close
// boxes and two others opened, perhaps at their addresses: choosing a line of a
// closed port closes neither new one.
Port* listed[2];
Port* reopened[2];

TEST_F(DisconnectTest, PortsClosedWhileTheDialogIsOpenTakeNoOtherWithThem)
{
    listed[0] = open_with_window();
    listed[1] = open_with_window();
    run_dialog(0, [] {
        for (int i = 0; i < 2; ++i) {
            SendMessageA(window_of(listed[i]), WM_CLOSE, 0, 0);
            pump_messages();
            reopened[i] = create_port(PORT_SERIAL, nullptr);
        }
    });
    ASSERT_TRUE(script.found);
    bool reused = reopened[0] == listed[0] || reopened[0] == listed[1] || reopened[1] == listed[0] ||
                  reopened[1] == listed[1];
    EXPECT_TRUE(port_is_open(reopened[0])) << (reused ? "at a closed port's address" : "elsewhere");
    EXPECT_TRUE(port_is_open(reopened[1])) << (reused ? "at a closed port's address" : "elsewhere");
    EXPECT_EQ(open_port_count, 2);
    // A close request that a closed port's window posted, arriving after another port
    // took its address, is not for that one either.
    PostMessageA(app.frame_window, MSG_CLOSE_PORT, reinterpret_cast<WPARAM>(reopened[0]),
                 reinterpret_cast<LPARAM>(window_of(reopened[1])));
    pump_messages();
    EXPECT_TRUE(port_is_open(reopened[0]));
}

TEST_F(DisconnectTest, FrameMessagesApplySettingsAndCloseOnce)
{
    Port* first = open_with_window();
    Port* second = open_with_window();
    PostMessageA(app.frame_window, MSG_PORT_SETTINGS_CHANGED, PORT_SERIAL, 0);
    pump_messages();
    EXPECT_EQ(test_engine_of(first)->applied, 1);
    EXPECT_EQ(test_engine_of(second)->applied, 1);
    // The second request for the same port arrives after it is gone.
    PostMessageA(app.frame_window, MSG_CLOSE_PORT, reinterpret_cast<WPARAM>(first), 0);
    PostMessageA(app.frame_window, MSG_CLOSE_PORT, reinterpret_cast<WPARAM>(first), 0);
    pump_messages();
    EXPECT_FALSE(port_is_open(first));
    EXPECT_TRUE(port_is_open(second));
    EXPECT_EQ(open_port_count, 1);
}

}  // namespace
