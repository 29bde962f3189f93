// From a port's SerialSettings and what its driver says it can do to the line
// settings the device is given. Portable: the capability bits and DCB codes are the
// Win32 values (serial_engine_win.cpp checks them against the system headers), and
// the DCB fields the mapping decides travel in a plain record.
#pragma once
#include <cstdint>

#include "ports/serial/serial_settings.h"

// COMMPROP dwSettableBaud bits.
constexpr std::uint32_t SERIAL_BAUD_300 = 0x00000010;
constexpr std::uint32_t SERIAL_BAUD_600 = 0x00000020;
constexpr std::uint32_t SERIAL_BAUD_1200 = 0x00000040;
constexpr std::uint32_t SERIAL_BAUD_2400 = 0x00000100;
constexpr std::uint32_t SERIAL_BAUD_4800 = 0x00000200;
constexpr std::uint32_t SERIAL_BAUD_9600 = 0x00000800;
constexpr std::uint32_t SERIAL_BAUD_19200 = 0x00002000;
constexpr std::uint32_t SERIAL_BAUD_38400 = 0x00004000;
constexpr std::uint32_t SERIAL_BAUD_115200 = 0x00020000;
constexpr std::uint32_t SERIAL_BAUD_57600 = 0x00040000;
constexpr std::uint32_t SERIAL_BAUD_USER = 0x10000000;
// wSettableData bits.
constexpr std::uint16_t SERIAL_DATABITS_5 = 0x0001;
constexpr std::uint16_t SERIAL_DATABITS_6 = 0x0002;
constexpr std::uint16_t SERIAL_DATABITS_7 = 0x0004;
constexpr std::uint16_t SERIAL_DATABITS_8 = 0x0008;
// wSettableStopParity bits.
constexpr std::uint16_t SERIAL_STOPBITS_10 = 0x0001;
constexpr std::uint16_t SERIAL_STOPBITS_15 = 0x0002;
constexpr std::uint16_t SERIAL_STOPBITS_20 = 0x0004;
constexpr std::uint16_t SERIAL_PARITY_NONE = 0x0100;
constexpr std::uint16_t SERIAL_PARITY_ODD = 0x0200;
constexpr std::uint16_t SERIAL_PARITY_EVEN = 0x0400;
constexpr std::uint16_t SERIAL_PARITY_MARK = 0x0800;
constexpr std::uint16_t SERIAL_PARITY_SPACE = 0x1000;
// dwProvCapabilities bits.
constexpr std::uint32_t SERIAL_PCF_DTRDSR = 0x0001;
constexpr std::uint32_t SERIAL_PCF_RTSCTS = 0x0002;
constexpr std::uint32_t SERIAL_PCF_XONXOFF = 0x0010;
// fDtrControl and fRtsControl values.
constexpr std::uint8_t SERIAL_CONTROL_DISABLE = 0;
constexpr std::uint8_t SERIAL_CONTROL_ENABLE = 1;
constexpr std::uint8_t SERIAL_CONTROL_HANDSHAKE = 2;

// What the driver reports it can set (from COMMPROP).
struct SerialCaps {
    std::uint32_t settable_baud;
    std::uint16_t settable_data;
    std::uint16_t settable_stop_parity;
    std::uint32_t prov_capabilities;
};

// The DCB fields the mapping decides. Going in: the device's current values;
// coming out: the values to set. Every other DCB field keeps the device's value.
struct SerialLine {
    std::uint32_t baud_rate;
    std::uint8_t byte_size;
    std::uint8_t parity;     // DCB Parity code 0 to 4
    std::uint8_t stop_bits;  // DCB StopBits code 0 to 2
    std::uint8_t binary;
    std::uint8_t parity_check;  // fParity
    std::uint8_t out_cts_flow;
    std::uint8_t out_dsr_flow;
    std::uint8_t dtr_control;
    std::uint8_t dsr_sensitivity;
    std::uint8_t tx_continue_on_xoff;
    std::uint8_t out_x;
    std::uint8_t in_x;
    std::uint8_t null_discard;  // fNull
    std::uint8_t rts_control;
    char xon_char;
    char xoff_char;
};

// The flow-control mode the line gets: 1 to 3 only when the driver offers it,
// otherwise 0.
int serial_effective_flow(const SerialCaps* caps, int flow_control);

// Whether the flow-control mode (as stored: DSR and CTS) drives the DTR or the RTS
// line itself, so that the line's own setting and the DTR and RTS commands do not
// apply to it.
bool serial_flow_drives_dtr(int flow_control);
bool serial_flow_drives_rts(int flow_control);

// Applies each setting the driver can take; the others keep the device's value. DTR
// and RTS are on or off as dtr and rts say, except a line the flow control drives.
void serial_map_settings(const SerialCaps* caps, const SerialSettings* settings, SerialLine* line);
