// Maps a port's SerialSettings onto the DCB fields of its device, taking only what the
// driver says it can set. Portable; runs on whichever thread configures the engine
// (the UI thread at open and on apply). The caller owns the caps and the line record.
#include "ports/serial/serial_dcb.h"


struct SpeedBit {
    std::int32_t rate;
    std::uint32_t bit;
};

// Speeds with a COMMPROP bit of their own. 76800 has none.
static const SpeedBit speed_bits[] = {
    {300, SERIAL_BAUD_300},       {600, SERIAL_BAUD_600},     {1200, SERIAL_BAUD_1200},
    {2400, SERIAL_BAUD_2400},     {4800, SERIAL_BAUD_4800},   {9600, SERIAL_BAUD_9600},
    {19200, SERIAL_BAUD_19200},   {38400, SERIAL_BAUD_38400}, {57600, SERIAL_BAUD_57600},
    {115200, SERIAL_BAUD_115200},
};

static std::uint32_t speed_bit(std::int32_t rate)
{
    for (const SpeedBit& s : speed_bits)
        if (s.rate == rate) return s.bit;
    return 0;
}

// Indexed by data bits - 5, parity code and stop-bit code.
static const std::uint16_t data_bits[] = {SERIAL_DATABITS_5, SERIAL_DATABITS_6, SERIAL_DATABITS_7,
                                   SERIAL_DATABITS_8};
static const std::uint16_t parity_bits[] = {SERIAL_PARITY_NONE, SERIAL_PARITY_ODD, SERIAL_PARITY_EVEN,
                                     SERIAL_PARITY_MARK, SERIAL_PARITY_SPACE};
static const std::uint16_t stop_bits[] = {SERIAL_STOPBITS_10, SERIAL_STOPBITS_15, SERIAL_STOPBITS_20};

// The handshake flags of each flow-control mode, indexed by the effective mode.
struct FlowFlags {
    std::uint8_t out_cts_flow, out_dsr_flow, dtr_control, out_x, in_x, rts_control;
};
static const FlowFlags flow_flags[] = {
    {0, 0, SERIAL_CONTROL_ENABLE, 0, 0, SERIAL_CONTROL_ENABLE},    // none
    {0, 0, SERIAL_CONTROL_ENABLE, 1, 1, SERIAL_CONTROL_ENABLE},    // XON/XOFF
    {0, 1, SERIAL_CONTROL_HANDSHAKE, 0, 0, SERIAL_CONTROL_ENABLE}, // DTR/DSR
    {1, 0, SERIAL_CONTROL_ENABLE, 0, 0, SERIAL_CONTROL_HANDSHAKE}, // RTS/CTS
};

int serial_effective_flow(const SerialCaps* caps, int flow_control)
{
    static const std::uint32_t needs[] = {0, SERIAL_PCF_XONXOFF, SERIAL_PCF_DTRDSR, SERIAL_PCF_RTSCTS};
    if (!caps || flow_control < 1 || flow_control > 3) return 0;
    return (caps->prov_capabilities & needs[flow_control]) ? flow_control : 0;
}

bool serial_flow_drives_dtr(int flow_control)
{
    return flow_control == 2;
}

bool serial_flow_drives_rts(int flow_control)
{
    return flow_control == 3;
}

void serial_map_settings(const SerialCaps* caps, const SerialSettings* settings, SerialLine* line)
{
    if (!caps || !settings || !line) return;

    // A speed with a bit of its own is set when the driver offers that bit or any
    // speed (BAUD_USER). Any other speed (76800, 250000, 110) is what the user asked
    // for: it goes to the driver, which takes it or refuses it (the configure then
    // fails and the user is told), since many drivers that run such speeds do not
    // report BAUD_USER. No speed at all (0, or beyond the range) is 9600, and that
    // only through BAUD_USER, as the stored value has no bit.
    const std::int32_t stored = settings->baudrate;
    if (stored < SERIAL_SPEED_MIN || stored > SERIAL_SPEED_MAX) {
        if (caps->settable_baud & SERIAL_BAUD_USER) line->baud_rate = 9600;
    } else {
        const std::uint32_t bit = speed_bit(stored);
        if (!bit || (caps->settable_baud & (bit | SERIAL_BAUD_USER)))
            line->baud_rate = static_cast<std::uint32_t>(stored);
    }

    std::int32_t bits = settings->data_bits;
    if (bits < 5 || bits > 7) bits = 8;
    if (caps->settable_data & data_bits[bits - 5]) line->byte_size = static_cast<std::uint8_t>(bits);

    std::int32_t parity = settings->parity;
    if (parity >= 0 && parity <= 4 && (caps->settable_stop_parity & parity_bits[parity]))
        line->parity = static_cast<std::uint8_t>(parity);

    std::int32_t stop = settings->stop_bits;
    if (stop >= 0 && stop <= 2 && (caps->settable_stop_parity & stop_bits[stop]))
        line->stop_bits = static_cast<std::uint8_t>(stop);

    const FlowFlags& f = flow_flags[serial_effective_flow(caps, settings->flow_control)];
    line->out_cts_flow = f.out_cts_flow;
    line->out_dsr_flow = f.out_dsr_flow;
    // A line left to the port is held as set: off keeps a board that resets on DTR
    // (or RTS) from resetting as the port opens.
    const bool dtr_off = f.dtr_control == SERIAL_CONTROL_ENABLE && settings->dtr == 0;
    const bool rts_off = f.rts_control == SERIAL_CONTROL_ENABLE && settings->rts == 0;
    line->dtr_control = dtr_off ? SERIAL_CONTROL_DISABLE : f.dtr_control;
    line->dsr_sensitivity = 0;
    line->out_x = f.out_x;
    line->in_x = f.in_x;
    line->rts_control = rts_off ? SERIAL_CONTROL_DISABLE : f.rts_control;

    // Same in every mode. fParity only enables the driver's check; with parity 0 the
    // line still carries no parity bit.
    line->binary = 1;
    line->null_discard = 0;
    line->tx_continue_on_xoff = 1;
    line->parity_check = static_cast<std::uint8_t>(settings->parity_check & 1);
    line->xon_char = 0x11;
    line->xoff_char = 0x13;
}
