// A paced send: bytes a port sends on a thread of their own, in the pieces its
// pacing gives (terminal/pacing.h), pausing after each piece as the pacing says and,
// repeated, pausing between the repeats; each piece is handed to the port as a direct
// send and the next waits until it has been written, so the send queue never holds
// more than the piece in flight. A paste or a function key with pacing and every
// send of the send-bytes window go this way; with no pacing and no repeat nothing
// does. One paced send per port at a time.
//
// Threads: started, asked to stop and read on the UI thread; the send thread sends
// and sleeps; the piece's completion hook runs on the engine thread and only wakes
// the send thread. The record is the port's from its first paced send until
// close_port frees it, after the engine has stopped (a piece that never reported may
// still be written from the record's copy of the bytes until then).
#pragma once
#include <windows.h>

#include <cstdint>

#include "terminal/pacing.h"

struct Port;
struct PacedSend;

struct PacedSendRequest {
    const unsigned char* data;  // copied by paced_send_start
    std::int32_t length;
    std::int32_t repeat;       // times the bytes are sent, at least 1
    std::uint32_t interval_ms;  // pause between repeats
    Pacing pacing;
    bool echo;                 // each piece shown in the console once written (as typed)
};

// Starts a paced send; false when one runs on the port already, a piece of an ended
// one has not reported yet, or memory or the thread cannot be had.
bool paced_send_start(Port* port, const PacedSendRequest& request);
bool paced_send_running(const Port* port);
// The repeats sent in full so far by the send running or the last one.
std::int32_t paced_send_repeats_done(const Port* port);
// Asks the running send to stop: it sends no further piece and its thread ends within
// a pause slice (10 ms) or when its piece in flight reports.
void paced_send_stop(Port* port);
// The port's close: stops the send and waits for its thread (which ends once the
// abort has had its piece reported); paced_send_free frees the record, which the
// close has taken from the port, once the engine has stopped.
void paced_send_end(Port* port);
void paced_send_free(PacedSend* send);
