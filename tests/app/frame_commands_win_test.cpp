// The frame with its menu, toolbar and status bar in-process: the enable rules as
// ports open, activate and close; the tooltip texts; the bar toggles and their keys;
// the layout of the MDI client; command 206; F5 with no window; the About box; help
// and context help.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <string>

#include "app/bars_win.h"
#include "app/commands_win.h"
#include "app/help_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "app/startup_win.h"
#include "base/status_bar_win.h"
#include "resources/help_topics.h"
#include "ports/serial/serial_port_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

struct FrameCommands : ::testing::Test {
    ScratchDir scratch;
    PortKindEntry previous{};
    TestFrame* frame = nullptr;

    void SetUp() override { start(""); }
    void TearDown() override { stop(); }
    void start(const std::string& ini)
    {
        if (!ini.empty()) {
            ASSERT_TRUE(write_file(scratch.file("tavex.ini"), ini));
        }
        ASSERT_TRUE(settings_path_init());
        display_settings_defaults(&display_settings);
        InitCommonControls();
        previous = test_engine_install(PORT_SERIAL);
        frame = new TestFrame(nullptr, true);
        ASSERT_TRUE(frame->made);
        ASSERT_NE(GetMenu(app.frame_window), nullptr);
        RECT client;
        GetClientRect(app.frame_window, &client);
        SendMessageA(app.frame_window, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    }
    void stop()
    {
        delete frame;
        frame = nullptr;
        test_engine_restore(PORT_SERIAL, previous);
    }
    bool menu_enabled(UINT id) const
    {
        return (GetMenuState(GetMenu(app.frame_window), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    bool button_enabled(int id) const { return SendMessageA(app.toolbar, TB_ISBUTTONENABLED, id, 0) != 0; }
    bool checked(UINT id) const
    {
        return (GetMenuState(GetMenu(app.frame_window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    void command(int id) { SendMessageA(app.frame_window, WM_COMMAND, id, 0); }
};

TEST_F(FrameCommands, AtStartOnlyTheConnectButtonsAndTheAboutBoxAreEnabled)
{
    ASSERT_NE(app.toolbar, nullptr);
    for (int id : {101, 102, 103, 104, 602}) EXPECT_TRUE(button_enabled(id)) << id;
    for (int id : {105, 201, 202, 203, 204, 205, 206, 401, 402, 403, 404, 405, 406})
        EXPECT_FALSE(button_enabled(id)) << id;
    EXPECT_FALSE(menu_enabled(105));
    // With no terminal window the port commands do nothing: no key disable toggled or
    // saved, the clipboard untouched, no port opened, nothing enabled.
    ASSERT_TRUE(OpenClipboard(app.frame_window));
    EmptyClipboard();
    CloseClipboard();
    for (int id : {704, 201, 204, 205, 206, 401, 405, 501, 504}) command(id);
    pump_messages();
    EXPECT_FALSE(checked(206));
    EXPECT_EQ(settings_read_int("console", "key disable", -1), -1);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(open_port_count, 0);
    for (int id : {105, 201, 202, 203, 204, 205, 206, 401, 405}) EXPECT_FALSE(button_enabled(id)) << id;
}

// A machine without COM ports: the serial kind can still be offered, so 101 stays
// enabled, and choosing it does nothing.
TEST_F(FrameCommands, WithNoComPortConnectSerialIsEnabledAndDoesNothing)
{
    app.os_family = OS_FAMILY_NT;
    bool (*present)(int) = serial_device_present;
    serial_device_present = [](int) { return false; };
    startup_discover_ports();
    serial_device_present = present;
    EXPECT_TRUE(menu_enabled(101));
    EXPECT_TRUE(button_enabled(101));
    command(101);
    pump_messages();
    EXPECT_EQ(open_port_count, 0);
    startup_discover_ports();  // the bench's ports again, for the tests after this one
}

TEST_F(FrameCommands, PortsOpeningActivatingAndClosingDriveTheStates)
{
    Port* port = create_port(PORT_SERIAL, nullptr);
    ASSERT_NE(port, nullptr);
    pump_messages();
    for (int id : {105, 206, 401, 405}) EXPECT_TRUE(button_enabled(id)) << id;
    EXPECT_TRUE(button_enabled(202));  // the window was activated
    for (int id : {201, 203, 204, 205}) EXPECT_FALSE(button_enabled(id)) << id;
    test_engine_receive(port, "text");
    ASSERT_TRUE(test_engine_settle(port));
    for (int id : {203, 204, 205}) EXPECT_TRUE(button_enabled(id)) << id;
    command(203);  // select all
    EXPECT_TRUE(button_enabled(201));
    command(205);  // clear
    for (int id : {201, 203, 204, 205}) EXPECT_FALSE(button_enabled(id)) << id;
    char name[32] = {};
    SendMessageA(app.status_bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, port->short_name(port));
    command(504);  // close all
    pump_messages();
    EXPECT_FALSE(port_is_open(port));
    for (int id : {105, 206, 401, 405, 202, 402, 403, 404, 406}) EXPECT_FALSE(button_enabled(id)) << id;
    SendMessageA(app.status_bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, "");
}

TEST_F(FrameCommands, KeyDisableIsProgramWideAndSavedAtOnce)
{
    Port* port = create_port(PORT_SERIAL, nullptr);
    ASSERT_NE(port, nullptr);
    pump_messages();
    command(206);
    EXPECT_TRUE(checked(206));
    EXPECT_EQ(display_settings.key_disable, 1);
    EXPECT_EQ(port->console.input.keys_disabled, 1);
    EXPECT_NE(SendMessageA(app.toolbar, TB_ISBUTTONCHECKED, 206, 0), 0);
    EXPECT_EQ(settings_read_int("console", "key disable", -1), 1);
    SendMessageA(window_of(port), WM_CHAR, 'x', 1);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "");
    command(206);
    EXPECT_FALSE(checked(206));
    EXPECT_EQ(settings_read_int("console", "key disable", -1), 0);
}

TEST_F(FrameCommands, TooltipsNameTheCommandsAndNothingElse)
{
    NMTTDISPINFOA info = {};
    info.hdr.code = TTN_NEEDTEXTA;
    info.hdr.idFrom = 204;
    toolbar_tooltip_text(&info.hdr);
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, "\x82\xb7\x82\xd7\x82\xc4\x82\xf0\xba\xcb\xdf\xb0");  // すべてをｺﾋﾟｰ
    char untouched[] = "keep";
    for (UINT_PTR id : {UINT_PTR(0), UINT_PTR(106), UINT_PTR(999)}) {
        info.lpszText = untouched;
        info.hdr.idFrom = id;
        toolbar_tooltip_text(&info.hdr);
        EXPECT_EQ(info.lpszText, untouched) << id;
    }
    info.hdr.code = 0;
    info.hdr.idFrom = 101;
    toolbar_tooltip_text(&info.hdr);
    EXPECT_EQ(info.lpszText, untouched);
}

RECT client_in_frame()
{
    RECT r;
    GetWindowRect(app.mdi_client, &r);
    MapWindowPoints(nullptr, app.frame_window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(FrameCommands, TheMdiClientSitsBetweenTheBarsAndTheTogglesAreRemembered)
{
    RECT bar;
    GetWindowRect(app.toolbar, &bar);
    EXPECT_EQ(client_in_frame().top, (bar.bottom - bar.top) - 1);
    command(301);
    command(302);
    EXPECT_FALSE(checked(301));
    EXPECT_FALSE(checked(302));
    RECT client;
    GetClientRect(app.frame_window, &client);
    RECT mdi = client_in_frame();
    EXPECT_EQ(mdi.top, 0);
    EXPECT_EQ(mdi.bottom, client.bottom);
    EXPECT_EQ(settings_read_int("system", "tool bar", -1), 0);
    EXPECT_EQ(settings_read_int("system", "status bar", -1), 0);
    command(301);
    EXPECT_TRUE(checked(301));
    EXPECT_EQ(settings_read_int("system", "tool bar", -1), 1);
}

TEST_F(FrameCommands, AHiddenToolbarInTheFileStartsHidden)
{
    stop();
    start("[system]\r\ntool bar=0\r\n");
    EXPECT_FALSE(checked(301));
    EXPECT_TRUE(checked(302));
    EXPECT_FALSE(IsWindowVisible(app.toolbar));
    EXPECT_EQ(client_in_frame().top, 0);
}

std::string about_text;

TEST_F(FrameCommands, TheAboutBoxShowsTheVersion)
{
    drive_dialog("Velkaro\x82\xc9\x82\xc2\x82\xa2\x82\xc4", [](HWND box) {  // Velkaroについて
        about_text = window_text(GetDlgItem(box, 1600));
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    });
    command(602);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(about_text, "Version  1.00");
}

}  // namespace

namespace {

HWND find_help_window()
{
    return FindWindowA("HH Parent", nullptr);
}

TEST_F(FrameCommands, HelpOpensTheContentsAndTheEndClosesIt)
{
    std::string topic = help_topic();
    EXPECT_EQ(topic.substr(topic.size() - 36), "tavex.chm::/main_index.htm > Tavex01") << topic;
    command(601);
    DWORD start = GetTickCount();
    while (!find_help_window() && GetTickCount() - start < 10000) {
        pump_messages();
        Sleep(20);
    }
    ASSERT_NE(find_help_window(), nullptr);
    help_close_windows(app.frame_window);
    start = GetTickCount();
    while (find_help_window() && GetTickCount() - start < 5000) {
        pump_messages();
        Sleep(20);
    }
    EXPECT_EQ(find_help_window(), nullptr);
}

// What a driven dialog saw: the page its help context names, and whether asking for
// help opened a help window (Wine's viewer shows no page, but the window opens).
struct HelpSeen {
    std::string page;
    bool opened = false;
    std::string button;
};
HelpSeen help_seen;

std::string page_of(HWND window)
{
    const char* page = help_context_page(GetWindowContextHelpId(window));
    return page ? page : "";
}

// F1 in a dialog and in a settings page reaches the frame as WM_HELP from the control
// with the focus, whose parents carry it up; the sheets' "ﾍﾙﾌﾟ" button asks the same
// way; F1 on a menu item opens its command's page; F1 in the frame opens nothing.
TEST_F(FrameCommands, F1AndTheHelpButtonOpenTheDialogsOwnPage)
{
    help_seen = HelpSeen();
    drive_dialog("Velkaro\x82\xc9\x82\xc2\x82\xa2\x82\xc4", [](HWND box) {  // Velkaroについて
        help_seen.page = page_of(box);
        HWND ok = GetDlgItem(box, IDOK);
        HELPINFO f1 = {sizeof f1, HELPINFO_WINDOW, IDOK, ok, 0, {0, 0}};
        SendMessageA(ok, WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
        help_seen.opened = find_help_window() != nullptr;
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    });
    command(602);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(help_seen.page, "about.htm");
    EXPECT_TRUE(help_seen.opened);
    help_close_windows(app.frame_window);
    ASSERT_TRUE(wait_until([] { return pump_messages(), find_help_window() == nullptr; }, 5000));

    help_seen = HelpSeen();
    drive_dialog("\x92\x5b\x96\x96\x82\xcc\x90\xdd\x92\xe8", [](HWND sheet) {  // 端末の設定
        HWND button = GetDlgItem(sheet, IDHELP);
        if (button && IsWindowVisible(button) && IsWindowEnabled(button)) help_seen.button = window_text(button);
        help_seen.page = page_of(PropSheet_GetCurrentPageHwnd(sheet));
        SendMessageA(button, BM_CLICK, 0, 0);
        help_seen.opened = find_help_window() != nullptr;
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    command(107);
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(help_seen.button, "\xcd\xd9\xcc\xdf");  // ﾍﾙﾌﾟ
    EXPECT_EQ(help_seen.page, "terminal_settings.htm#display");
    EXPECT_TRUE(help_seen.opened);
    help_close_windows(app.frame_window);
    ASSERT_TRUE(wait_until([] { return pump_messages(), find_help_window() == nullptr; }, 5000));

    HELPINFO in_frame = {sizeof in_frame, HELPINFO_WINDOW, 0, app.mdi_client, 0, {0, 0}};
    SendMessageA(app.mdi_client, WM_HELP, 0, reinterpret_cast<LPARAM>(&in_frame));
    EXPECT_EQ(find_help_window(), nullptr);

    HELPINFO on_menu = {sizeof on_menu, HELPINFO_MENUITEM, 101, GetMenu(app.frame_window), 0, {0, 0}};
    SendMessageA(app.frame_window, WM_HELP, 0, reinterpret_cast<LPARAM>(&on_menu));
    EXPECT_NE(find_help_window(), nullptr);
    EXPECT_STREQ(help_context_page(HELP_COMMAND_CONTEXT(101)), "serial.htm#connect");
    help_close_windows(app.frame_window);
    ASSERT_TRUE(wait_until([] { return pump_messages(), find_help_window() == nullptr; }, 5000));
}

}  // namespace
