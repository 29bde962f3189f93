// Shared set-up of the file transfer's Win32 tests: test-engine ports in a frame with
// its menu, toolbar and status bar, the file transfer started as the program starts
// it, a scratch folder that is the current directory (tavex.ini and the files sent or
// logged live there), and readers of what the user sees. UI thread only.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/status_bar_win.h"
#include "resources/commands.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"
#include "transfer/file_send_win.h"

struct TransferPorts : TestEnginePorts {
    ScratchDir scratch;

    void SetUp() override
    {
        ASSERT_TRUE(settings_path_init());
        InitCommonControls();
        with_bars = true;
        TestEnginePorts::SetUp();
        ASSERT_NE(app.status_bar, nullptr);
        file_send_load_settings();
        open();
    }
    void TearDown() override
    {
        TestEnginePorts::TearDown();
        file_send_release();
    }

    // Waits for done, handling messages meanwhile: the send thread and the engine set
    // the status bar and the toolbar through messages sent to this thread.
    template <typename Done>
    bool until(Done done, DWORD timeout_ms = 10000)
    {
        return wait_until(
            [&] {
                pump_messages();
                return done();
            },
            timeout_ms);
    }

    std::string status(int part) const
    {
        char text[256] = {};
        SendMessageA(app.status_bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
        return text;
    }
    bool enabled(int command) const
    {
        bool in_menu = (GetMenuState(GetMenu(app.frame_window), command, MF_BYCOMMAND) & MF_GRAYED) == 0;
        bool on_bar = SendMessageA(app.toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
        EXPECT_EQ(in_menu, on_bar) << command;
        return in_menu;
    }
    void command(int id) { SendMessageA(app.frame_window, WM_COMMAND, id, 0); }
    void activate(Port* which)
    {
        SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_of(which)), 0);
        pump_messages();
    }
    // A second port whose window takes the focus from the first.
    Port* open_other()
    {
        Port* other = create_port(PORT_SERIAL, nullptr);
        EXPECT_NE(other, nullptr);
        if (other) activate(other);
        return other;
    }

    // A file of count bytes in the scratch folder, each byte telling its place.
    std::string make_file(const char* name, size_t count)
    {
        std::string bytes(count, '\0');
        for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        EXPECT_TRUE(write_file(scratch.file(name), bytes));
        return bytes;
    }
    // Starts a send of these paths through the port, as the dialog's OK does.
    void send(Port* through, const std::vector<std::string>& paths)
    {
        auto* list = static_cast<char(*)[260]>(std::calloc(paths.size(), 260));
        ASSERT_NE(list, nullptr);
        for (size_t i = 0; i < paths.size(); ++i) std::strncpy(list[i], paths[i].c_str(), 259);
        through->send_list = list;
        through->send_list_count = static_cast<std::int32_t>(paths.size());
        ASSERT_TRUE(file_send_start(through));
    }
    bool idle(Port* which, DWORD timeout_ms = 10000)
    {
        return until([&] { return which->send_state == 0; }, timeout_ms);
    }
};
