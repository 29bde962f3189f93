// The network I/O engine: one TCP connection, as a client that connects to a host (with
// retries and reconnection after the peer closed) or as a server that listens and
// serves one peer at a time. Two threads: the connection thread (socket, connect or
// accept, receive, reconnect) and the send thread (one queued send at a time), which
// is the engine core's thread. Both report through EngineCallbacks: on_receive and
// on_status from the connection thread, on_sent from the send thread.
// Threads: open, write, stop and the queries on the UI thread (write also on any
// owner thread and inside on_sent). The caller owns the record's storage; the engine
// owns its sockets, events and receive buffer until stop. Also here: the program-wide
// start and end of the socket library (WinSock 1.1).
#pragma once
#include <winsock.h>
#include <windows.h>

#include <cstdint>

#include "ports/engine_core_win.h"
#include "ports/network/network_settings.h"
#include "terminal/engine_callbacks.h"

enum NetworkState {
    NET_IDLE = 0,            // after open, before the connection thread reports anything
    NET_LISTENING = 1,       // server: before each wait for a peer
    NET_CONNECTED = 2,
    NET_DISCONNECTED = 3,    // the peer closed, or the wait for data failed
    NET_RETRY_PENDING = 4,   // 0.9 s before a wait between attempts ends
    NET_RECEIVE_FAILED = 5,  // a receive or an accept failed: the engine stops working
    NET_SOCKET_FAILED = 6,   // no socket, or (server) listening failed
    NET_BIND_FAILED = 7,     // server: the address and port could not be bound
    NET_CONNECT_FAILED = 8,  // client: one attempt failed
};

struct NetworkOpenParams {
    NetworkTarget target;
    NetworkSettings settings;
    EngineCallbacks callbacks;
};

struct NetworkEngine {
    // The send thread: its handle, the stop flag both threads poll, the wake (stop, and
    // abort of the waiting write), the write request, the callbacks, the receive buffer.
    EngineCore core;
    HANDLE volatile connection_thread;
    HANDLE connection_wake;  // manual reset, set by stop: a retry wait ends at once
    HANDLE link_changed;     // auto reset: the connection was made or has ended
    // Guards data_socket and the addresses: the send thread uses the data socket only
    // while holding it, and the connection thread clears it under it before closing.
    CRITICAL_SECTION socket_lock;
    bool socket_lock_made;
    SOCKET data_socket;        // the connected socket, 0 while there is none
    SOCKET listen_socket;      // server only
    SOCKET connecting_socket;  // client: the socket of the attempt under way
    std::int32_t mode;         // NetworkMode
    NetworkSettings settings;  // copied at open
    volatile LONG net_state;   // NetworkState
    // The connection thread has ended its work (a failed receive, accept, socket,
    // bind or listen, the attempts used up, or reconnect off): writes are refused.
    volatile LONG given_up;
    volatile LONG abort_write;  // abort_send: the write waiting to be sent ends unsent
    sockaddr_in local_address;
    sockaddr_in remote_address;
};

// Program start: WinSock 1.1. Returns net_available().
int net_startup();
// Program end: the socket library's clean-up, if it started.
void net_cleanup();
int net_available();

// 0 when both threads run; -1, with nothing left made, for no engine or parameters, a
// receive buffer size of 0, no host, a port above 65535 or below 0, a mode other than
// client or server, a host that does not resolve, or no resources. No callback is
// called on failure.
int net_open(NetworkEngine* engine, const NetworkOpenParams* params);
// Queues one send of the caller's bytes (kept alive by the caller until on_sent). 1
// when queued; 0 when given nothing, stopping, given up, or a write is still waiting.
// A write made while not connected waits for the next connection; one waiting or
// under way when a connection ends is reported with what was sent (0).
int net_write(NetworkEngine* engine, const unsigned char* data, std::int32_t length);
// abort_send: a write waiting to be sent is reported with 0 written instead.
void net_abort_write(NetworkEngine* engine);
// Ends both threads and releases everything; nothing is called back after it returns.
// Safe on a null engine and on one whose threads have ended.
void net_stop(NetworkEngine* engine);
int net_state(const NetworkEngine* engine);
// The dotted text of the local (local != 0) or remote address, always terminated, cut
// to the buffer; returns the buffer (untouched for no engine, buffer or size).
char* net_address_text(NetworkEngine* engine, char* buffer, int size, int local);
// The local or remote port; 0 for no engine.
int net_port(NetworkEngine* engine, int local);
