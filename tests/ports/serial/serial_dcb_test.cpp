// Mapping SerialSettings onto the device's line settings: each setting reaches the
// device only when the driver can take it, and the flow-control modes' flags.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "ports/serial/serial_dcb.h"

namespace {

constexpr std::uint32_t ALL_BAUD = 0xFFFFFFFF;
constexpr std::uint16_t ALL_16 = 0xFFFF;
constexpr std::uint32_t ALL_PCF = SERIAL_PCF_DTRDSR | SERIAL_PCF_RTSCTS | SERIAL_PCF_XONXOFF;
// The device's values before the mapping; none of them is a value the mapping sets.
constexpr SerialLine DEVICE = {1234, 3, 7, 7, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 'a', 'b'};

// The line settings under test; every other setting as a port without a section has it.
SerialSettings line_settings(std::int32_t rate, std::int32_t bits, std::int32_t parity, std::int32_t stop,
                             std::int32_t flow, std::int32_t check)
{
    SerialSettings s = SERIAL_DEFAULT_SETTINGS;
    s.baudrate = rate;
    s.data_bits = bits;
    s.parity = parity;
    s.stop_bits = stop;
    s.flow_control = flow;
    s.parity_check = check;
    return s;
}

SerialLine map(SerialCaps caps, SerialSettings s)
{
    SerialLine line = DEVICE;
    serial_map_settings(&caps, &s, &line);
    return line;
}
std::uint32_t baud(std::int32_t rate, std::uint32_t settable)
{
    return map({settable, ALL_16, ALL_16, ALL_PCF}, line_settings(rate, 8, 0, 0, 0, 0)).baud_rate;
}

TEST(SerialMapSpeed, ListedSpeedsNeedTheirOwnBitOrBaudUser)
{
    const std::pair<std::int32_t, std::uint32_t> speeds[] = {
        {300, SERIAL_BAUD_300},      {600, SERIAL_BAUD_600},     {1200, SERIAL_BAUD_1200},
        {2400, SERIAL_BAUD_2400},    {4800, SERIAL_BAUD_4800},   {9600, SERIAL_BAUD_9600},
        {19200, SERIAL_BAUD_19200},  {38400, SERIAL_BAUD_38400}, {57600, SERIAL_BAUD_57600},
        {115200, SERIAL_BAUD_115200}};
    for (auto [rate, bit] : speeds) {
        SCOPED_TRACE(rate);
        EXPECT_EQ(baud(rate, bit), std::uint32_t(rate));
        EXPECT_EQ(baud(rate, SERIAL_BAUD_USER), std::uint32_t(rate));
        EXPECT_EQ(baud(rate, ALL_BAUD & ~(bit | SERIAL_BAUD_USER)), DEVICE.baud_rate);
    }
}

// A speed without a bit of its own goes to the driver whatever it reports (it then
// takes or refuses it); no speed at all is 9600, and that only with BAUD_USER.
TEST(SerialMapSpeed, OtherSpeedsGoToTheDriverAndNoSpeedIs9600WithBaudUserOnly)
{
    const std::tuple<std::int32_t, std::uint32_t, std::uint32_t> speeds[] = {
        {110, 110, 110},        {76800, 76800, 76800}, {250000, 250000, 250000},
        {4000000, 4000000, 4000000}, {1, 1, 1},         {0, 9600, DEVICE.baud_rate},
        {-1, 9600, DEVICE.baud_rate}, {4000001, 9600, DEVICE.baud_rate}};
    for (auto [rate, with_user, without] : speeds) {
        SCOPED_TRACE(rate);
        EXPECT_EQ(baud(rate, SERIAL_BAUD_USER), with_user);
        EXPECT_EQ(baud(rate, ALL_BAUD & ~SERIAL_BAUD_USER), without);
        EXPECT_EQ(baud(rate, 0), without);
    }
}

TEST(SerialMapLine, DataParityAndStopBitsOnlyWhenSettable)
{
    const std::pair<std::int32_t, std::uint16_t> data[] = {{4, SERIAL_DATABITS_8}, {5, SERIAL_DATABITS_5},
                                                           {6, SERIAL_DATABITS_6}, {7, SERIAL_DATABITS_7},
                                                           {8, SERIAL_DATABITS_8}, {9, SERIAL_DATABITS_8}};
    for (auto [bits, bit] : data) {
        SCOPED_TRACE(bits);
        std::uint8_t sent = bits == 4 || bits == 9 ? 8 : std::uint8_t(bits);
        EXPECT_EQ(map({0, bit, 0, 0}, line_settings(9600, bits, 0, 0, 0, 0)).byte_size, sent);
        EXPECT_EQ(map({0, std::uint16_t(ALL_16 & ~bit), 0, 0}, line_settings(9600, bits, 0, 0, 0, 0)).byte_size,
                  DEVICE.byte_size);
    }
    const std::uint16_t parity[] = {SERIAL_PARITY_NONE, SERIAL_PARITY_ODD, SERIAL_PARITY_EVEN,
                                    SERIAL_PARITY_MARK, SERIAL_PARITY_SPACE};
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(map({0, 0, parity[p], 0}, line_settings(9600, 8, p, 0, 0, 0)).parity, p);
        EXPECT_EQ(map({0, 0, std::uint16_t(ALL_16 & ~parity[p]), 0}, line_settings(9600, 8, p, 0, 0, 0)).parity,
                  DEVICE.parity);
    }
    const std::uint16_t stop[] = {SERIAL_STOPBITS_10, SERIAL_STOPBITS_15, SERIAL_STOPBITS_20};
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(map({0, 0, stop[s], 0}, line_settings(9600, 8, 0, s, 0, 0)).stop_bits, s);
        EXPECT_EQ(map({0, 0, std::uint16_t(ALL_16 & ~stop[s]), 0}, line_settings(9600, 8, 0, s, 0, 0)).stop_bits,
                  DEVICE.stop_bits);
    }
    for (int bad : {-1, 5})
        EXPECT_EQ(map({0, 0, ALL_16, 0}, line_settings(9600, 8, bad, bad, 0, 0)).parity, DEVICE.parity);
    EXPECT_EQ(map({0, 0, ALL_16, 0}, line_settings(9600, 8, 0, 3, 0, 0)).stop_bits, DEVICE.stop_bits);
}

// out_cts_flow, out_dsr_flow, dtr_control, dsr_sensitivity, out_x, in_x, rts_control
std::vector<int> flow_flags(const SerialLine& l)
{
    return {l.out_cts_flow, l.out_dsr_flow, l.dtr_control, l.dsr_sensitivity, l.out_x, l.in_x, l.rts_control};
}

TEST(SerialMapFlow, EachModeSetsItsFlagsAndAMissingCapabilityFallsBackToNone)
{
    const std::vector<int> none = {0, 0, 1, 0, 0, 0, 1};
    const std::vector<int> rows[] = {
        none, {0, 0, 1, 0, 1, 1, 1}, {0, 1, 2, 0, 0, 0, 1}, {1, 0, 1, 0, 0, 0, 2}};
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        SerialLine l = map({0, 0, 0, ALL_PCF}, line_settings(9600, 8, 0, 0, mode, 0));
        EXPECT_EQ(flow_flags(l), rows[mode]);
        EXPECT_EQ(flow_flags(map({0, 0, 0, 0}, line_settings(9600, 8, 0, 0, mode, 0))), none);
        EXPECT_EQ(
            std::vector<int>({l.binary, l.null_discard, l.tx_continue_on_xoff, l.xon_char, l.xoff_char}),
            std::vector<int>({1, 0, 1, 0x11, 0x13}));
    }
    const SerialCaps no_rtscts = {0, 0, 0, SERIAL_PCF_DTRDSR | SERIAL_PCF_XONXOFF};
    EXPECT_EQ(flow_flags(map(no_rtscts, line_settings(9600, 8, 0, 0, 3, 0))), none);
    EXPECT_EQ(serial_effective_flow(&no_rtscts, 3), 0);
    EXPECT_EQ(serial_effective_flow(&no_rtscts, 2), 2);
    SerialCaps all = {0, 0, 0, ALL_PCF};
    for (int bad : {-1, 4})
        EXPECT_EQ(serial_effective_flow(&all, bad), 0);
}

// DTR and RTS as the port's settings say, except the line the flow control drives
// (DSR drives DTR, CTS drives RTS); a mode the driver lacks drives neither.
TEST(SerialMapFlow, DtrAndRtsAsSetUnlessTheFlowControlDrivesThem)
{
    const struct {
        int flow, dtr, rts;
        std::uint32_t caps;
        int dtr_control, rts_control;
    } cases[] = {
        {0, 0, 0, ALL_PCF, 0, 0},
        {0, 1, 0, ALL_PCF, 1, 0},
        {1, 0, 1, ALL_PCF, 0, 1},
        {2, 0, 0, ALL_PCF, 2, 0},
        {3, 0, 0, ALL_PCF, 0, 2},
        {3, 1, 0, SERIAL_PCF_DTRDSR, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flow " << c.flow << " dtr " << c.dtr << " rts " << c.rts);
        SerialSettings s = line_settings(9600, 8, 0, 0, c.flow, 0);
        s.dtr = c.dtr;
        s.rts = c.rts;
        SerialLine l = map({0, 0, 0, c.caps}, s);
        EXPECT_EQ(l.dtr_control, c.dtr_control);
        EXPECT_EQ(l.rts_control, c.rts_control);
    }
    EXPECT_TRUE(serial_flow_drives_dtr(2));
    EXPECT_TRUE(serial_flow_drives_rts(3));
    EXPECT_FALSE(serial_flow_drives_dtr(3) || serial_flow_drives_rts(2) || serial_flow_drives_dtr(1));
}

TEST(SerialMapLine, ParityCheckTakesTheLowBitEvenWithoutParity)
{
    SerialLine l = map({0, 0, ALL_16, 0}, line_settings(9600, 8, 0, 0, 0, 1));
    EXPECT_EQ(l.parity_check, 1);
    EXPECT_EQ(l.parity, 0);
    EXPECT_EQ(map({0, 0, ALL_16, 0}, line_settings(9600, 8, 0, 0, 0, 2)).parity_check, 0);
}

} // namespace
