// The records of the network kind that need no Win32: where a port connects or
// listens (NetworkTarget), the three user settings that shape reconnection
// (NetworkSettings) with their defaults and the ranges the settings page accepts.
// Portable; the UI thread owns the program-wide copies (network_port_win.cpp).
#pragma once
#include <cstdint>

enum NetworkMode {
    NET_MODE_CLIENT = 0,
    NET_MODE_SERVER = 1,
};

struct NetworkTarget {
    const char* host;   // host name or dotted address; for a server, the address to listen on
    std::int32_t port;  // at most 65535 (tested as unsigned: a negative port is refused too)
    std::int32_t mode;  // NetworkMode; any other value is refused
};

struct NetworkSettings {
    std::int32_t reconnect;    // reconnect after the peer closed, 0 or 1
    std::int32_t wait_time;    // seconds between attempts
    std::int32_t retry_count;  // retries after a failed attempt
};

constexpr NetworkSettings NETWORK_DEFAULT_SETTINGS = {1, 5, 10};

// What the settings page accepts. Values read from the settings file are kept beyond
// these ranges; only those that would be a fault are not (network_settings_make_usable).
constexpr std::int32_t NET_WAIT_TIME_MIN = 1;
constexpr std::int32_t NET_WAIT_TIME_MAX = 300;
constexpr std::int32_t NET_RETRY_COUNT_MIN = 0;
constexpr std::int32_t NET_RETRY_COUNT_MAX = 100;
