// A port's status: what state its connection is in and, when it is not connected,
// why. The kinds' engines set it on their own threads and hand it to the port with
// every status report; everything the user sees of it (the status bar's connection
// text, whether the port takes input) is derived here. Portable and pure.
#pragma once
#include <cstdint>

enum PortState : std::int32_t {
    PORT_CONNECTING = 0,         // opened, not yet connected (a server listening, a client's first try)
    PORT_CONNECTED = 1,
    PORT_WAITING_TO_RETRY = 2,   // an attempt failed; the next follows after a wait
    PORT_LOST = 3,               // was connected and is no longer: the reason says why
    PORT_CLOSED = 4,             // the engine has stopped or given up: nothing more will come
    // The device went away and the port opens it again once a second until it is
    // back: not connected and taking no input meanwhile (a device that returns must
    // not receive what was typed while it was gone).
    PORT_WAITING_FOR_DEVICE = 5,
};

enum PortReason : std::int32_t {
    PORT_REASON_NONE = 0,
    PORT_REASON_DEVICE_GONE = 1,       // the device went away (an adapter pulled, a pty's far end closed)
    PORT_REASON_PEER_CLOSED = 2,       // the peer ended the connection in order
    PORT_REASON_RESET = 3,             // the connection was reset, or receiving from it failed
    // The device fails its transfers but is still there and is tried again with every
    // write (a printer switched off): not connected, yet the port takes input, so
    // that the next write can succeed.
    PORT_REASON_TRANSFER_FAILING = 4,
    PORT_REASON_REFUSED = 5,           // a connection or a listening address was refused
};

struct PortStatus {
    PortState state;
    PortReason reason;
};

// The connection state as a number, derived from the status: PORT_CONNECTED (1)
// connected, PORT_FAILING failing but taking input, PORT_NOT_CONNECTED otherwise.
enum PortConnectionState : std::int32_t {
    PORT_NOT_CONNECTED = 0,
    PORT_FAILING = 2,
};

inline std::int32_t port_connection_state(PortStatus status)
{
    if (status.state == PORT_CONNECTED) return PORT_CONNECTED;
    if (status.state == PORT_LOST && status.reason == PORT_REASON_TRANSFER_FAILING) return PORT_FAILING;
    return PORT_NOT_CONNECTED;
}

// Whether typing, function keys, paste, file send and the receive log take a port in
// this connection state.
inline bool connection_takes_input(std::int32_t connection_state)
{
    return connection_state == PORT_CONNECTED || connection_state == PORT_FAILING;
}

inline bool connection_takes_input(PortStatus status)
{
    return connection_takes_input(port_connection_state(status));
}

// The status bar's connection text: "接続中" only while connected, "再接続待ち" while
// the device is waited for.
inline const char* port_status_text(PortStatus status)
{
    if (status.state == PORT_WAITING_FOR_DEVICE) return "再接続待ち";
    return status.state == PORT_CONNECTED ? "接続中" : "通信不可";
}
