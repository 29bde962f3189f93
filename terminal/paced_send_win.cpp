// Paced sends; see paced_send_win.h.
//
// Races closed on purpose:
//  - A stop and a piece being offered: the offer counts itself in `offering` before
//    it tests the stop flag, and the close waits for the count to reach 0 after
//    setting the flag and before it aborts the queue, so a piece is either in flight
//    when the abort cancels it or never offered.
//  - A piece that has not reported when its send ends (a stop while the device
//    holds the write): the bytes stay in the record, and no new send starts until the
//    hook has heard of it, so a late report never reaches another send's piece.
#include "terminal/paced_send_win.h"

#include <cstdlib>
#include <cstring>

#include "terminal/pacing_win.h"
#include "terminal/port_win.h"
#include "terminal/terminal_window_win.h"

constexpr DWORD SLICE_MS = 10;

struct PacedSend {
    Port* port;
    HANDLE thread;
    HANDLE written_event;  // auto reset, set by the hook
    volatile LONG stop;
    volatile LONG running;
    volatile LONG outstanding;  // a piece was accepted and has not reported
    volatile LONG offering;
    volatile LONG written;      // what the last piece reported
    volatile LONG repeats_done;
    unsigned char* data;
    std::int32_t length;
    std::int32_t repeat;
    std::uint32_t interval_ms;
    Pacing pacing;
    bool echo;
};

static void piece_written(Port* port, std::int32_t count)
{
    PacedSend* send = port->paced;
    if (!send) return;
    InterlockedExchange(&send->written, count);
    InterlockedExchange(&send->outstanding, 0);
    SetEvent(send->written_event);
}

static bool stopped(void* send)
{
    return static_cast<PacedSend*>(send)->stop != 0;
}

static bool pause(PacedSend* send, DWORD ms)
{
    return pacing_pause(ms, stopped, send);
}

// The port will take nothing again: its engine refuses and it is not connected.
static bool port_gave_up(const Port* port)
{
    return port->write_refused && !connection_takes_input(port->connection_state);
}

// Sends bytes whole, one direct send at a time, waiting for each to be written;
// false when stopped or the port gave up.
static bool send_piece(PacedSend* send, const unsigned char* bytes, std::int32_t length)
{
    Port* port = send->port;
    while (length > 0) {
        InterlockedExchange(&send->outstanding, 1);
        InterlockedIncrement(&send->offering);
        bool accepted = !send->stop && port_send(port, bytes, length, piece_written) > 0;
        InterlockedDecrement(&send->offering);
        if (!accepted) {
            InterlockedExchange(&send->outstanding, 0);
            // Typed bytes or another send hold the queue: offered again shortly.
            if (send->stop || port_gave_up(port)) return false;
            Sleep(SLICE_MS);
            continue;
        }
        while (WaitForSingleObject(send->written_event, SLICE_MS) == WAIT_TIMEOUT)
            if (send->stop) return false;
        std::int32_t written = send->written;
        if (written <= 0) {
            // A device that takes nothing is offered the bytes again at a pace.
            Sleep(SLICE_MS);
            continue;
        }
        if (written > length) written = length;
        if (send->echo) console_show(port, bytes, written, SHOW_TYPED);
        bytes += written;
        length -= written;
    }
    return true;
}

static DWORD WINAPI paced_send_thread(void* parameter) noexcept
{
    PacedSend* send = static_cast<PacedSend*>(parameter);
    const bool paced = pacing_active(send->pacing);
    for (std::int32_t r = 0; r < send->repeat && !send->stop; ++r) {
        if (r > 0 && send->interval_ms > 0 && !pause(send, send->interval_ms)) break;
        std::size_t at = 0, length = static_cast<std::size_t>(send->length);
        bool going = true;
        while (going && at < length) {
            PacedPiece piece = paced ? pacing_next_piece(send->pacing, send->data + at, length - at)
                                     : PacedPiece{length - at, 0};
            going = send_piece(send, send->data + at, static_cast<std::int32_t>(piece.length));
            if (!going) break;
            at += piece.length;
            if (piece.delay_ms > 0) going = pause(send, piece.delay_ms);
        }
        if (at == length) InterlockedIncrement(&send->repeats_done);
        if (!going) break;
    }
    InterlockedExchange(&send->running, 0);
    return 0;
}

// The port's record, made on its first paced send.
static PacedSend* record_of(Port* port)
{
    if (port->paced) return port->paced;
    auto* send = static_cast<PacedSend*>(std::calloc(1, sizeof(PacedSend)));
    if (!send) return nullptr;
    send->port = port;
    send->written_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!send->written_event) {
        std::free(send);
        return nullptr;
    }
    port->paced = send;
    return send;
}

bool paced_send_start(Port* port, const PacedSendRequest& request)
{
    if (!port || !request.data || request.length <= 0 || request.repeat < 1) return false;
    PacedSend* send = record_of(port);
    if (!send || send->running || send->outstanding) return false;
    if (send->thread) {
        CloseHandle(send->thread);
        send->thread = nullptr;
    }
    auto* data = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(request.length)));
    if (!data) return false;
    std::memcpy(data, request.data, static_cast<std::size_t>(request.length));
    std::free(send->data);
    send->data = data;
    send->length = request.length;
    send->repeat = request.repeat;
    send->interval_ms = request.interval_ms;
    send->pacing = request.pacing;
    send->echo = request.echo;
    send->stop = 0;
    send->repeats_done = 0;
    ResetEvent(send->written_event);
    InterlockedExchange(&send->running, 1);
    send->thread = CreateThread(nullptr, 0, paced_send_thread, send, 0, nullptr);
    if (!send->thread) {
        InterlockedExchange(&send->running, 0);
        return false;
    }
    return true;
}

bool paced_send_running(const Port* port)
{
    return port && port->paced && port->paced->running;
}

std::int32_t paced_send_repeats_done(const Port* port)
{
    return port && port->paced ? port->paced->repeats_done : 0;
}

void paced_send_stop(Port* port)
{
    PacedSend* send = port ? port->paced : nullptr;
    if (!send) return;
    InterlockedExchange(&send->stop, 1);
    while (send->offering != 0) Sleep(1);
}

void paced_send_end(Port* port)
{
    PacedSend* send = port ? port->paced : nullptr;
    if (!send) return;
    paced_send_stop(port);
    if (send->thread) {
        // The thread shows what it sent through the console, which never waits for this
        // thread; sent messages are handled all the same, as every close wait does.
        while (MsgWaitForMultipleObjects(1, &send->thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
            handle_sent_messages(0);
        CloseHandle(send->thread);
        send->thread = nullptr;
    }
}

void paced_send_free(PacedSend* send)
{
    if (!send) return;
    CloseHandle(send->written_event);
    std::free(send->data);
    std::free(send);
}
