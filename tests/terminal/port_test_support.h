// Shared set-up of the port tests: a real frame with its MDI client and the terminal
// window class, so that create_port makes real terminal windows; and readers of a
// port's console and of the status bar. Win32 tests only; UI thread.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/bars_win.h"
#include "app/frame_win.h"
#include "console/console_win.h"
#include "terminal/display_settings.h"
#include "terminal/terminal_window_win.h"
#include "tests/support/fixture_win.h"
#include "tests/support/test_engine_win.h"

#include <gtest/gtest.h>

inline void pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The frame the ports' windows live in, for the life of one test.
struct TestFrame {
    bool made = false;
    // with_bars: the toolbar and status bar as the program makes them.
    explicit TestFrame(HMENU menu = nullptr, bool with_bars = false)
    {
        app.instance = GetModuleHandleA(nullptr);
        frame_register_class(app.instance);
        terminal_window_register(app.instance);
        HWND frame = frame_create(app.instance);
        if (!frame) return;
        if (menu) SetMenu(frame, menu);
        if (with_bars) {
            create_toolbar(frame);
            create_status_bar(frame);
        }
        frame_create_mdi_client(frame);
        ShowWindow(frame, SW_SHOW);
        ShowWindow(app.mdi_client, SW_SHOW);
        made = app.mdi_client != nullptr;
    }
    ~TestFrame()
    {
        close_all_ports();
        if (app.frame_window) DestroyWindow(app.frame_window);
        pump_messages();
        terminal_window_unregister(app.instance);
        frame_unregister_class(app.instance);
    }
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;
};

inline std::string console_contents(Port* port)
{
    console_lock(&port->console);
    std::string text;
    const unsigned char* at = console_text_at(&port->console, 0);
    if (at) text.assign(reinterpret_cast<const char*>(at), console_text_length(&port->console));
    console_unlock(&port->console);
    return text;
}

inline HWND window_of(Port* port)
{
    return static_cast<HWND>(port->console.window);
}

// The status bar's text in part (0 the port's name, 1 its connection); needs the bars.
inline std::string status_text(int part)
{
    char text[64] = {};
    SendMessageA(app.status_bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
}

// Waits, handling messages, until the active port is shown not connected ("通信不可").
inline bool shows_not_connected(DWORD timeout_ms)
{
    return wait_until(
        [] {
            pump_messages();
            return status_text(1) == "\x92\xca\x90\x4d\x95\x73\x89\xc2";
        },
        timeout_ms);
}

// The fixture of the tests that open ports of the test engine (as the serial kind) in
// a real frame: display settings at their defaults, the frame, and open() for a port
// with its terminal window.
struct TestEnginePorts : ::testing::Test {
    PortKindEntry previous{};
    TestFrame* frame = nullptr;
    Port* port = nullptr;
    bool with_bars = false;  // a fixture that reads the status bar or the toolbar sets it

    void SetUp() override
    {
        display_settings_defaults(&display_settings);
        previous = test_engine_install(PORT_SERIAL);
        frame = new TestFrame(nullptr, with_bars);
        ASSERT_TRUE(frame->made);
    }
    void TearDown() override
    {
        if (port && port_is_open(port)) close_port(port);
        delete frame;
        test_engine_restore(PORT_SERIAL, previous);
        display_settings_defaults(&display_settings);
        EXPECT_EQ(open_port_count, 0);
    }
    // Closes the port open now, if any, and opens a new one.
    void open()
    {
        if (port && port_is_open(port)) close_port(port);
        port = create_port(PORT_SERIAL, nullptr);
        ASSERT_NE(port, nullptr);
        ASSERT_NE(window_of(port), nullptr);
        pump_messages();
    }
};
