// The kinds' settings as the settings file gives them: a value that would be a fault
// is read as its default (a speed of -1 or 0 left to the driver, an interval of 49 days, a
// retry without a pause, XON/XOFF swallowing binary data); every value the page
// offers is kept, and so are the parallel and network values beyond it.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "ports/network/network_page.h"
#include "ports/parallel/parallel_page.h"
#include "ports/serial/serial_page.h"

namespace {

struct SerialRead {
    std::int32_t SerialSettings::*field;
    std::int32_t stored;
    std::int32_t used;
};

TEST(PortSettingsRead, SerialValuesThePageCannotShowAreTheDefaultsAndAnUnknownFlowNone)
{
    const SerialRead cases[] = {
        {&SerialSettings::baudrate, -1, 9600},
        {&SerialSettings::baudrate, 0, 9600},
        {&SerialSettings::baudrate, 4000001, 9600},
        {&SerialSettings::baudrate, INT_MIN, 9600},
        {&SerialSettings::baudrate, INT_MAX, 9600},
        {&SerialSettings::baudrate, 1, 1},  // a typed speed the list lacks is the driver's to judge
        {&SerialSettings::baudrate, 110, 110},
        {&SerialSettings::baudrate, 250000, 250000},
        {&SerialSettings::baudrate, 4000000, 4000000},
        {&SerialSettings::baudrate, 76800, 76800},
        {&SerialSettings::data_bits, 4, 8},
        {&SerialSettings::data_bits, 9, 8},
        {&SerialSettings::data_bits, -1, 8},
        {&SerialSettings::data_bits, 5, 5},
        {&SerialSettings::parity, -1, 0},
        {&SerialSettings::parity, 5, 0},
        {&SerialSettings::parity, 4, 4},
        {&SerialSettings::stop_bits, 3, 0},
        {&SerialSettings::stop_bits, INT_MIN, 0},
        {&SerialSettings::stop_bits, 2, 2},
        {&SerialSettings::flow_control, 4, 0},  // none, as the engine takes a mode it does not know
        {&SerialSettings::flow_control, -1, 0},
        {&SerialSettings::flow_control, 1, 1},
        {&SerialSettings::flow_control, 0, 0},
        {&SerialSettings::flow_control, 3, 3},
        {&SerialSettings::parity_check, 2, 1},
        {&SerialSettings::parity_check, -1, 1},
        {&SerialSettings::parity_check, 0, 0},
        {&SerialSettings::auto_reopen, 2, 0},
        {&SerialSettings::auto_reopen, -1, 0},
        {&SerialSettings::auto_reopen, 1, 1},
        {&SerialSettings::dtr, 2, 1},  // on, as the line is without the key
        {&SerialSettings::dtr, 0, 0},
        {&SerialSettings::rts, -1, 1},
        {&SerialSettings::rts, 0, 0},
    };
    for (const SerialRead& c : cases) {
        // Every other field off its default, to see that only the one is replaced.
        SerialSettings s = {19200, 7, 2, 2, 3, 0, 0, 0, 0};
        SerialSettings expected = s;
        s.*c.field = c.stored;
        expected.*c.field = c.used;
        serial_settings_make_usable(&s);
        EXPECT_TRUE(serial_settings_equal(s, expected)) << "stored " << c.stored << " used " << s.*c.field;
    }
}

TEST(PortSettingsRead, ParallelIntervalsOfZeroOrLessAreTheDefault)
{
    // As stored in the file (a signed number), then as used; the engine counts an
    // interval below 50 ms as 50.
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0xFFFFFFFFu, 50}, {0, 50},       {0x80000000u, 50}, {49, 49},           {75, 75},
        {90000, 90000},    {60001, 60001}, {50, 50},          {0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (auto [stored, used] : cases) {
        ParallelSettings s = {stored, 0};
        parallel_settings_make_usable(&s);
        EXPECT_EQ(s.receive_interval, used) << "stored " << stored;
        EXPECT_EQ(s.bidirectional, 0);
    }
}

TEST(PortSettingsRead, NetworkWaitOfZeroOrLessAndNegativeRetriesAreTheDefaults)
{
    // reconnect, wait time, retry count as stored, then as used.
    const NetworkSettings cases[][2] = {
        {{1, 0, 10}, {1, 5, 10}},          {{1, -1, 10}, {1, 5, 10}},   {{1, 600, 10}, {1, 600, 10}},
        {{1, INT_MAX, 10}, {1, INT_MAX, 10}}, {{1, 1, 10}, {1, 1, 10}}, {{1, 300, 10}, {1, 300, 10}},
        {{0, 5, -1}, {0, 5, 10}},          {{0, 5, 200}, {0, 5, 200}},  {{0, 5, INT_MIN}, {0, 5, 10}},
        {{0, 5, 0}, {0, 5, 0}},            {{7, 5, INT_MAX}, {7, 5, INT_MAX}},
    };
    for (const auto& c : cases) {
        NetworkSettings s = c[0];
        network_settings_make_usable(&s);
        EXPECT_EQ(s.reconnect, c[1].reconnect);
        EXPECT_EQ(s.wait_time, c[1].wait_time) << "stored " << c[0].wait_time;
        EXPECT_EQ(s.retry_count, c[1].retry_count) << "stored " << c[0].retry_count;
    }
}

}  // namespace
