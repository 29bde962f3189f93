// A port's connection state, as its kind's status routine sets it, and what each
// state lets the user do. Portable and pure; engine threads write the state, the UI
// thread reads it.
#pragma once
#include <cstdint>

enum PortConnectionState : std::int32_t {
    PORT_NOT_CONNECTED = 0,
    PORT_CONNECTED = 1,
    // The device fails its transfers, but the port is still there and tries again
    // with every write (a printer switched off): shown as not connected, yet it takes
    // input, so that the next write can succeed.
    PORT_FAILING = 2,
};

// Whether typing, function keys, paste, file send and the receive log take the port.
inline bool connection_takes_input(std::int32_t state)
{
    return state == PORT_CONNECTED || state == PORT_FAILING;
}
