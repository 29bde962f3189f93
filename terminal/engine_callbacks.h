// The record through which every I/O engine reports to its port: the trailing fields
// of each engine's open parameters. Engines call these on their own threads, never
// while holding a lock of their own.
#pragma once
#include <cstdint>

#include "terminal/port_status.h"

constexpr std::int32_t ENGINE_RECEIVE_BUFFER_SIZE = 4096;

struct EngineCallbacks {
    std::int32_t receive_buffer_size;
    // Received bytes; valid only during the call.
    void (*on_receive)(void* owner, const unsigned char* data, std::int32_t length);
    // A write request ended: the bytes given to write, how many were asked for and
    // how many were written (0 when it was cancelled or failed).
    void (*on_sent)(void* owner, const unsigned char* data, std::int32_t requested, std::int32_t written);
    // The connection's status or the line state changed: the engine's status now.
    void (*on_status)(void* owner, PortStatus status);
    void* owner;
};
