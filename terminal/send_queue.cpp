// Send queue bookkeeping; see send_queue.h. Runs on whichever thread holds the port
// mutex (the UI thread sending, an engine thread completing, the file-send thread).
#include "terminal/send_queue.h"

#include <cstring>

static SendWrite no_write()
{
    return SendWrite{nullptr, 0};
}

// Starts the pending bytes as the next buffered chunk.
static SendWrite start_pending(SendQueue* queue)
{
    std::memcpy(queue->in_flight_buffer, queue->pending_buffer, static_cast<std::size_t>(queue->pending_length));
    queue->in_flight_length = queue->pending_length;
    queue->sent_count = 0;
    queue->pending_length = 0;
    return SendWrite{queue->in_flight_buffer, queue->in_flight_length};
}

std::int32_t send_queue_offer(SendQueue* queue, const unsigned char* data, std::int32_t length,
                              bool direct, SendWrite* write)
{
    *write = no_write();
    if (!queue || !data || length <= 0) return 0;
    if (queue->in_flight_length == 0) {
        queue->sent_count = 0;
        if (direct) {
            queue->direct_buffer = data;
            queue->in_flight_length = length;
            *write = SendWrite{data, length};
            return length;
        }
        // A stale direct pointer would make this chunk's completion look direct.
        queue->direct_buffer = nullptr;
        std::int32_t chunk = length < SEND_CHUNK_SIZE ? length : SEND_CHUNK_SIZE;
        std::memcpy(queue->in_flight_buffer, data, static_cast<std::size_t>(chunk));
        queue->in_flight_length = chunk;
        *write = SendWrite{queue->in_flight_buffer, chunk};
        return chunk;
    }
    if (direct) return 0;
    std::int32_t room = SEND_CHUNK_SIZE - queue->pending_length;
    std::int32_t taken = length < room ? length : room;
    if (taken <= 0) return 0;
    std::memcpy(queue->pending_buffer + queue->pending_length, data, static_cast<std::size_t>(taken));
    queue->pending_length += taken;
    return taken;
}

bool send_queue_completed(SendQueue* queue, std::int32_t written, SendWrite* write)
{
    *write = no_write();
    if (!queue) return false;
    if (written < 0) written = 0;
    if (queue->direct_buffer) {
        queue->sent_count = written;
        queue->in_flight_length = 0;
        queue->direct_buffer = nullptr;
        // Bytes queued behind a direct write would otherwise wait until some later
        // send, and then go out after it.
        if (queue->pending_length > 0) *write = start_pending(queue);
        return true;
    }
    if (queue->in_flight_length == 0) return false;  // aborted meanwhile
    queue->sent_count += written;
    if (queue->sent_count < queue->in_flight_length) {
        *write = SendWrite{queue->in_flight_buffer + queue->sent_count,
                           queue->in_flight_length - queue->sent_count};
    } else if (queue->pending_length > 0) {
        *write = start_pending(queue);
    } else {
        queue->in_flight_length = 0;
    }
    return false;
}

void send_queue_reset(SendQueue* queue)
{
    if (!queue) return;
    queue->pending_length = 0;
    queue->sent_count = 0;
    queue->in_flight_length = 0;
    // direct_buffer stays: the engine still reports the cancelled direct write, and
    // its hook must hear how it ended. A buffered send started before that report
    // clears it (see send_queue_offer).
}
