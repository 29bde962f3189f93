// An engine thread appending megabytes of numbered lines into a console while the
// window's thread clears it, changes its size and column, selects and reads it: no
// crash, the invariants hold at every look, and what is there is always an unbroken
// run of the lines sent (discarding and clearing remove whole lines only).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/console/console_invariants.h"
#include "tests/terminal/port_test_support.h"

namespace {

const int LINES = 400000;  // 10 bytes each: 4 MB
const size_t PIECE = 4000;

// Checks an unbroken run of "%08d\r\n" lines; returns the last whole line's number,
// -1 when there is none, or -2 when the run is broken.
long check_run(const std::string& text)
{
    long expected = -1, last = -1;
    size_t at = 0;
    while (at + 10 <= text.size()) {
        if (text.compare(at + 8, 2, "\r\n") != 0) return -2;
        long number = std::strtol(text.substr(at, 8).c_str(), nullptr, 10);
        if (expected >= 0 && number != expected) return -2;
        expected = number + 1;
        last = number;
        at += 10;
    }
    return last;
}

TEST(ConsoleThreads, AppendsRaceWithClearResizeSelectionAndReads)
{
    display_settings_defaults(&display_settings);
    display_settings.receive_crlf = 2;
    PortKindEntry previous = test_engine_install(PORT_PARALLEL);
    TestFrame frame;
    ASSERT_TRUE(frame.made);
    Port* port = create_port(PORT_PARALLEL, nullptr);
    ASSERT_NE(port, nullptr);

    std::string all;
    all.reserve(static_cast<size_t>(LINES) * 10);
    char line[16];
    for (int i = 0; i < LINES; ++i) {
        std::snprintf(line, sizeof line, "%08d\r\n", i);
        all += line;
    }
    for (size_t at = 0; at < all.size(); at += PIECE) test_engine_receive(port, all.substr(at, PIECE));

    ConsoleSettings settings;
    display_console_settings(&display_settings, &settings);
    int looks = 0, clears = 0, resizes = 0;
    std::string fault;
    Console* console = &port->console;
    for (int step = 0; !test_engine_settle(port, 0) || step < 50; ++step) {
        switch (step % 5) {
        case 0:
            console_clear_all(console);
            ++clears;
            break;
        case 1:
        case 3:
            settings.buffer_bytes = (step % 10 == 1) ? (1u << 20) : (64u << 10);
            settings.column = (step % 10 == 1) ? 40 : 80;
            console_apply_settings(console, &settings);
            ++resizes;
            break;
        case 2:
            // A selection reaching to the end, as the user might make one.
            console_lock(console);
            console->selection.selection_state = 3;
            console->selection.sel_anchor.offset = 0;
            console->selection.sel_end.offset = static_cast<std::int32_t>(console->buffer.used);
            console_unlock(console);
            break;
        default: {
            console_lock(console);
            if (fault.empty()) fault = console_invariant_fault(console, false);
            std::string text(reinterpret_cast<const char*>(console->buffer.text), console->buffer.used);
            console_unlock(console);
            if (check_run(text) == -2 && fault.empty()) fault = "run broken";
            ++looks;
        }
        }
        pump_messages();
        Sleep(step % 7 == 0 ? 1 : 0);
    }
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(fault, "");
    // The last look may have been a clear: a last thousand lines, once everything is
    // still, must all be there after what the races left.
    std::string tail;
    for (int i = LINES; i < LINES + 1000; ++i) {
        std::snprintf(line, sizeof line, "%08d\r\n", i);
        tail += line;
    }
    test_engine_receive(port, tail);
    ASSERT_TRUE(test_engine_settle(port));
    std::string text = console_contents(port);
    EXPECT_EQ(check_run(text), LINES + 999);
    EXPECT_GE(text.size(), tail.size());
    EXPECT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0);
    EXPECT_LE(text.size(), static_cast<size_t>(settings.buffer_bytes));
    EXPECT_GT(looks, 5);
    EXPECT_GT(clears, 5);
    EXPECT_GT(resizes, 5);

    close_port(port);
    test_engine_restore(PORT_PARALLEL, previous);
}

}  // namespace
