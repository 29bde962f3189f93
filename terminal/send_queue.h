// The bookkeeping of a port's send queue: one write in flight at a time, fed either
// from a 4096-byte copy (buffered sends, with 4096 more bytes waiting) or straight
// from the caller's buffer (direct sends with a completion hook). Portable; the caller
// holds the port mutex around every call, and issues the write it is told to.
#pragma once
#include <cstdint>

constexpr std::int32_t SEND_CHUNK_SIZE = 4096;

struct SendQueue {
    std::int32_t sent_count;        // bytes of the in-flight chunk written so far
    std::int32_t in_flight_length;  // length of the chunk being written; 0 = idle
    const unsigned char* direct_buffer;  // the caller's bytes while a direct write runs
    unsigned char in_flight_buffer[SEND_CHUNK_SIZE];
    std::int32_t pending_length;
    unsigned char pending_buffer[SEND_CHUNK_SIZE];
};

// The write the caller must hand to the engine, if any.
struct SendWrite {
    const unsigned char* data;  // null: nothing to write
    std::int32_t length;
};

// Offers bytes to the queue. direct: the caller's buffer is written as it is, only
// when the queue is idle. Returns the bytes accepted and sets *write to the write to
// start (none when the bytes only joined the pending buffer).
std::int32_t send_queue_offer(SendQueue* queue, const unsigned char* data, std::int32_t length,
                              bool direct, SendWrite* write);

// The write in flight ended with written bytes. Sets *write to the next write to start
// (the rest of a partial chunk, a zero-byte write retried from the same place, or the
// pending bytes) and returns true when it was a direct write that ended, whose hook
// the caller then runs after releasing the lock.
bool send_queue_completed(SendQueue* queue, std::int32_t written, SendWrite* write);

// Forgets everything in flight and waiting (abort). A direct write's completion, when
// the engine reports it, still ends it as a direct write.
void send_queue_reset(SendQueue* queue);
