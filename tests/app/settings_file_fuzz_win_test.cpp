// The program's start-up, in-process, on some eighty damaged settings files (and a
// damaged "default.tfk" beside some): each time it reaches the shown frame, every
// table it loaded holds values its users can work with, and the orderly end through
// WM_CLOSE and the message loop leaves nothing behind for the next start.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/frame_win.h"
#include "app/last_session_win.h"
#include "app/startup_win.h"
#include "ports/network/network_page.h"
#include "ports/network/network_port_win.h"
#include "ports/parallel/parallel_page.h"
#include "ports/parallel/parallel_port_win.h"
#include "ports/serial/serial_page.h"
#include "ports/serial/serial_port_win.h"
#include "ports/usb/usb_port_win.h"
#include "terminal/display_settings.h"
#include "tests/app/settings_files.h"
#include "tests/support/fixture_win.h"
#include "transfer/file_send_win.h"

namespace {

bool terminated(const char* text, size_t size)
{
    return std::memchr(text, '\0', size) != nullptr;
}

// What start-up loaded: each value one its users can work with. A make_usable rule
// that changes nothing on the loaded record proves the record was already within it.
void expect_sane_tables(const std::string& which)
{
    SCOPED_TRACE(which);
    ASSERT_NE(nullptr, app.frame_window);
    EXPECT_TRUE(IsWindowVisible(app.frame_window));
    EXPECT_NE(nullptr, app.mdi_client);

    for (const SerialPortEntry& row : serial_port_table) {
        SerialSettings usable = row.settings;
        serial_settings_make_usable(&usable);
        if (row.available) {
            EXPECT_TRUE(serial_settings_equal(usable, row.settings)) << row.settings.baudrate;
        }
    }
    for (const ParallelPortEntry& row : parallel_port_table) {
        ParallelSettings usable = row.settings;
        parallel_settings_make_usable(&usable);
        if (row.available) {
            EXPECT_EQ(usable.receive_interval, row.settings.receive_interval);
        }
    }
    NetworkSettings network = *network_settings();
    network_settings_make_usable(&network);
    EXPECT_EQ(network.wait_time, network_settings()->wait_time);
    EXPECT_EQ(network.retry_count, network_settings()->retry_count);
    NetworkHistory history;
    network_load_history(&history);
    EXPECT_LE(history.count, NET_HISTORY_SIZE);
    for (int i = 0; i < history.count; ++i) EXPECT_TRUE(terminated(history.hosts[i], NET_HOST_TEXT_SIZE));

    DisplaySettings display = display_settings;
    display_settings_make_usable(&display);
    EXPECT_EQ(0, std::memcmp(&display, &display_settings, sizeof display));
    EXPECT_TRUE(terminated(display_settings.text_font_name, FONT_NAME_TEXT));
    for (const char* key : display_settings.function_keys) EXPECT_TRUE(terminated(key, FUNCTION_KEY_TEXT));
    for (const HighlightRow& row : display_settings.highlight) {
        EXPECT_TRUE(terminated(row.keyword, HIGHLIGHT_KEYWORD_TEXT));
        EXPECT_EQ(row.colour & 0xFF000000u, 0u);
    }
    // Whatever the rows hold, they compile: a bad one to nothing.
    ConsoleSettings console;
    display_console_settings(&display_settings, &console);
    if (console.highlights) {
        EXPECT_GT(console.highlights->count, 0);
    }

    for (const UsbDeviceEntry& entry : usb_device_table) {
        EXPECT_TRUE(terminated(entry.name, USB_TEXT_SIZE));
        EXPECT_TRUE(terminated(entry.guid, USB_TEXT_SIZE));
        EXPECT_TRUE(terminated(entry.input_pipe, USB_TEXT_SIZE));
        EXPECT_TRUE(terminated(entry.output_pipe, USB_TEXT_SIZE));
    }
    std::vector<Pacing> pacing(serial_pacing, serial_pacing + SERIAL_PORT_COUNT);
    pacing.insert(pacing.end(), parallel_pacing, parallel_pacing + PARALLEL_PORT_COUNT);
    pacing.push_back(network_pacing);
    pacing.push_back(usb_pacing);
    for (const Pacing& p : pacing) {
        EXPECT_EQ(p.char_delay, pacing_usable(p.char_delay));
        EXPECT_EQ(p.line_delay, pacing_usable(p.line_delay));
    }
    EXPECT_GT(send_buffer_size, 0);
    EXPECT_LE(send_buffer_size, SEND_BUFFER_MAX);

    // The last session, read as the next start would open it: only ports the
    // command line could name, in places a window can take.
    static LastSession session;
    last_session_read(&session);
    EXPECT_LE(session.count, COMMAND_LINE_MAX_PORTS);
    EXPECT_LE(session.active, session.count);
    for (int i = 0; i < session.count; ++i) {
        const LastSessionEntry& entry = session.entries[i];
        EXPECT_LE(std::strlen(entry.name), 40u);
        if (entry.named) {
            EXPECT_TRUE(entry.port.kind >= 1 && entry.port.kind <= 4);
            EXPECT_TRUE(entry.port.kind != 3 || (entry.port.tcp_port >= 1 && entry.port.tcp_port <= 65535));
        }
        if (entry.placed) {
            EXPECT_LT(entry.place.left, entry.place.right);
            EXPECT_LT(entry.place.top, entry.place.bottom);
        }
    }
}

// Start-up on the files in the current folder, the checks, then the orderly end.
void start_check_and_end(const std::string& which)
{
    app = App{};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    bool started = app_startup(instance, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(started) << which;
    if (started) {
        expect_sane_tables(which);
        PostMessageA(app.frame_window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, frame_message_loop()) << which;
        EXPECT_EQ(nullptr, app.frame_window);
    }
    app_teardown(instance);
    EXPECT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << which;
}

TEST(SettingsFileFuzz, EveryKeyAtOneExtreme)
{
    ScratchDir scratch;
    for (const std::string& value : settings_files::extremes()) {
        ASSERT_TRUE(write_file(scratch.file("tavex.ini"), settings_files::uniform_file(value)));
        start_check_and_end("every key = " + value.substr(0, 40));
        if (HasFatalFailure()) return;
    }
}

// 50 seeded files in blocks of 25, each block a test of its own; every third file
// has a damaged "default.tfk" beside it. Each file holds every kind of damaged line
// some ten times over, so more files add only more random values, and those the
// native settings fuzz target tries by the million against the same conversions.
class SeededSettingsFiles : public testing::TestWithParam<int> {};

TEST_P(SeededSettingsFiles, StartUpCopesWithEach)
{
    ScratchDir scratch;
    const std::string ini = scratch.file("tavex.ini"), tfk = scratch.file("default.tfk");
    constexpr std::uint32_t BLOCK = 25;
    const std::uint32_t first = 1 + static_cast<std::uint32_t>(GetParam()) * BLOCK;
    for (std::uint32_t seed = first; seed < first + BLOCK; ++seed) {
        settings_files::Maker maker(seed);
        ASSERT_TRUE(write_file(ini, maker.file()));
        if (seed % 3 == 0)
            ASSERT_TRUE(write_file(tfk, maker.function_keys()));
        else
            DeleteFileA(tfk.c_str());
        start_check_and_end("seed " + std::to_string(seed));
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(SettingsFileFuzz, SeededSettingsFiles, testing::Range(0, 2));

}  // namespace
