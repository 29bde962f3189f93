// The line settings of one COM port and the row the program keeps for each of COM1
// to COM16. Portable records; the UI thread owns the tables (serial_port_win.cpp).
#pragma once
#include <cstdint>

struct SerialSettings {
    std::int32_t baudrate;      // bits per second
    std::int32_t data_bits;     // 5 to 8
    std::int32_t parity;        // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::int32_t stop_bits;     // 0 one, 1 one and a half, 2 two
    std::int32_t flow_control;  // 0 none, 1 XON/XOFF, 2 DSR, 3 CTS
    std::int32_t parity_check;  // 0 off, 1 on
    std::int32_t auto_reopen;   // 0 off, 1 the port waits for a device that went and opens it again
    std::int32_t dtr;           // the DTR line while the port is open: 0 off, 1 on (unless the flow control drives it)
    std::int32_t rts;           // the RTS line likewise
};

// What a port without a settings section runs with.
constexpr SerialSettings SERIAL_DEFAULT_SETTINGS = {9600, 8, 0, 0, 1, 1, 0, 1, 1};

// The speeds a port may be given, whether picked from the page's list or typed: the
// driver is the judge of any speed in this range, and one outside it is no speed.
constexpr std::int32_t SERIAL_SPEED_MIN = 1, SERIAL_SPEED_MAX = 4000000;

constexpr int SERIAL_PORT_COUNT = 16;

struct SerialPortEntry {
    std::int32_t available;  // may be offered: present at start-up, or "valid" set
    std::int32_t changed;    // changed by the settings page, not yet applied to an open port
    SerialSettings settings;
};

bool serial_settings_equal(const SerialSettings& a, const SerialSettings& b);
