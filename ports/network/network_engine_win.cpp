// The network engine; see network_engine_win.h.
//
// Every socket is non-blocking, and each thread waits in select with a time-out of
// NET_POLL_MS, testing the stop flag between waits. Under Wine a local shutdown()
// wakes neither a blocked select nor a blocked recv (only closesocket does), and
// closing a socket that another thread is using races with the reuse of its handle;
// so no call ever blocks for longer than one wait and each thread closes only its
// own sockets. The stop then takes the time the threads need to see the flag (at most
// one wait) and never depends on a peer answering.
//
// Closed on purpose:
//  - The send thread sends only while holding socket_lock and after checking under it
//    that the data socket is still the connected one; the connection thread clears the
//    data socket under the same lock before it closes it. The send thread's select
//    runs outside the lock: on a socket closed meanwhile it just ends early, and the
//    next pass sees that the connection is gone.
//  - A write waits while there is no connection and is sent as soon as one is made
//    (link_changed wakes the send thread); one waiting or under way when a connection
//    ends is reported with what was sent, 0, so that the port's queue and a paste or
//    file send hear of it and go on rather than wait for ever.
//  - Only the send thread calls on_sent; only the connection thread calls on_receive
//    and on_status. Neither holds a lock while calling back.
#include "ports/network/network_engine_win.h"

#include <cstdio>
#include <cstring>

#include "ports/network/net_address.h"

constexpr long NET_POLL_MS = 100;
constexpr int NET_BACKLOG = 1;

static volatile LONG net_started = 0;

int net_startup()
{
    WSADATA data;
    int started = WSAStartup(0x0101, &data) == 0 ? 1 : 0;
    InterlockedExchange(&net_started, started);
    return started;
}

void net_cleanup()
{
    if (InterlockedExchange(&net_started, 0) == 1) WSACleanup();
}

int net_available()
{
    return net_started;
}

static void close_handle(HANDLE* handle)
{
    if (*handle && *handle != INVALID_HANDLE_VALUE) CloseHandle(*handle);
    *handle = nullptr;
}

static void close_socket(SOCKET socket)
{
    if (socket == 0 || socket == INVALID_SOCKET) return;
    shutdown(socket, 1);  // half-close for sending: the peer sees an orderly end
    closesocket(socket);
}

static bool set_non_blocking(SOCKET socket)
{
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

static bool stopping(const NetworkEngine* e)
{
    return e->core.stop_requested || e->given_up;
}

// Waits up to one poll for the socket to be readable (read) or writable; with
// `failed`, a failed connect counts as ready. Returns the select result.
static int wait_socket(SOCKET socket, bool read, bool failed = false)
{
    fd_set ready, errors;
    FD_ZERO(&ready);
    FD_ZERO(&errors);
    FD_SET(socket, &ready);
    FD_SET(socket, &errors);
    timeval wait = {0, NET_POLL_MS * 1000};
    return select(64, read ? &ready : nullptr, read ? nullptr : &ready, failed ? &errors : nullptr, &wait);
}

// The resources of a record, apart from its threads; for open's failure and for stop.
static void release_engine(NetworkEngine* e)
{
    engine_core_release(&e->core);
    close_handle(&e->connection_wake);
    close_handle(&e->link_changed);
    // Normally each thread has closed its own sockets; after a forced end they go here.
    close_socket(e->data_socket);
    close_socket(e->listen_socket);
    close_socket(e->connecting_socket);
    e->data_socket = e->listen_socket = e->connecting_socket = 0;
    if (e->socket_lock_made) DeleteCriticalSection(&e->socket_lock);
    e->socket_lock_made = false;
}

static DWORD WINAPI connection_thread_body(void* parameter) noexcept;
static DWORD WINAPI send_thread_body(void* parameter) noexcept;

// The host as an IPv4 address in network order: the dotted text as it is, else the
// first address the name resolves to.
static bool resolve(const char* host, in_addr* address)
{
    unsigned char dotted[4];
    if (net_parse_dotted(host, dotted)) {
        std::memcpy(address, dotted, 4);
        return true;
    }
    const hostent* found = gethostbyname(host);
    if (!found || found->h_addrtype != AF_INET || found->h_length != 4 || !found->h_addr_list ||
        !found->h_addr_list[0])
        return false;
    std::memcpy(address, found->h_addr_list[0], 4);
    return true;
}

int net_open(NetworkEngine* e, const NetworkOpenParams* params)
{
    if (!e || !params || params->callbacks.receive_buffer_size <= 0 || !params->target.host) return -1;
    if (static_cast<std::uint32_t>(params->target.port) > 65535) return -1;
    if (params->target.mode != NET_MODE_CLIENT && params->target.mode != NET_MODE_SERVER) return -1;
    in_addr address;
    if (!resolve(params->target.host, &address)) return -1;
    std::memset(e, 0, sizeof *e);
    e->remote_address.sin_family = AF_INET;
    e->remote_address.sin_addr = address;
    e->remote_address.sin_port = htons(static_cast<u_short>(params->target.port));
    e->mode = params->target.mode;
    e->settings = params->settings;
    if (engine_core_open(&e->core, &params->callbacks) != 0) return -1;
    InitializeCriticalSection(&e->socket_lock);
    e->socket_lock_made = true;
    e->connection_wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->link_changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!e->connection_wake || !e->link_changed || !engine_core_start(&e->core, send_thread_body, e)) {
        release_engine(e);
        return -1;
    }
    // The send thread first: it calls nothing back until a write is asked for, so
    // when the connection thread cannot start it is stopped without a report.
    e->connection_thread = CreateThread(nullptr, 0, connection_thread_body, e, 0, nullptr);
    if (!e->connection_thread) {
        engine_core_stop(&e->core);
        release_engine(e);
        return -1;
    }
    return 0;
}

int net_write(NetworkEngine* e, const unsigned char* data, std::int32_t length)
{
    if (!e || e->given_up) return 0;
    return engine_core_request_write(&e->core, data, length);
}

void net_abort_write(NetworkEngine* e)
{
    if (!e || !e->core.wake) return;
    InterlockedExchange(&e->abort_write, 1);
    SetEvent(e->core.wake);
}

void net_stop(NetworkEngine* e)
{
    if (!e) return;
    // Stop flag, wakes, then each thread in turn by the stop protocol: the connection
    // thread sees the flag within one poll, the send thread at once on its wake.
    InterlockedExchange(&e->core.stop_requested, 1);
    if (e->connection_wake) SetEvent(e->connection_wake);
    if (e->core.wake) SetEvent(e->core.wake);
    engine_stop_thread(&e->connection_thread);
    engine_core_stop(&e->core);
    release_engine(e);
}

int net_state(const NetworkEngine* e)
{
    return e ? e->net_state : 0;
}

char* net_address_text(NetworkEngine* e, char* buffer, int size, int local)
{
    if (!e || !buffer || size <= 0) return buffer;
    unsigned char bytes[4] = {};
    if (e->socket_lock_made) {
        EnterCriticalSection(&e->socket_lock);
        std::memcpy(bytes, local ? &e->local_address.sin_addr : &e->remote_address.sin_addr, 4);
        LeaveCriticalSection(&e->socket_lock);
    }
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::snprintf(buffer, static_cast<size_t>(size), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return buffer;
}

int net_port(NetworkEngine* e, int local)
{
    if (!e || !e->socket_lock_made) return 0;
    EnterCriticalSection(&e->socket_lock);
    u_short port = local ? e->local_address.sin_port : e->remote_address.sin_port;
    LeaveCriticalSection(&e->socket_lock);
    return ntohs(port);
}

// Connection thread from here on.

// The port's status for each step of the connection, by NetworkState; a failed
// attempt after which the engine gives up is closed rather than waiting.
static const PortStatus PORT_STATUS_OF[] = {
    {PORT_CONNECTING, PORT_REASON_NONE},       // NET_IDLE
    {PORT_CONNECTING, PORT_REASON_NONE},       // NET_LISTENING
    {PORT_CONNECTED, PORT_REASON_NONE},        // NET_CONNECTED
    {PORT_LOST, PORT_REASON_PEER_CLOSED},      // NET_DISCONNECTED
    {PORT_WAITING_TO_RETRY, PORT_REASON_NONE}, // NET_RETRY_PENDING
    {PORT_LOST, PORT_REASON_RESET},            // NET_RECEIVE_FAILED
    {PORT_CLOSED, PORT_REASON_NONE},           // NET_SOCKET_FAILED
    {PORT_CLOSED, PORT_REASON_REFUSED},        // NET_BIND_FAILED
    {PORT_WAITING_TO_RETRY, PORT_REASON_REFUSED},  // NET_CONNECT_FAILED
};
static_assert(sizeof PORT_STATUS_OF / sizeof PORT_STATUS_OF[0] == NET_CONNECT_FAILED + 1, "a status for each state");

static void set_state(NetworkEngine* e, NetworkState state)
{
    InterlockedExchange(&e->net_state, state);
    PortStatus status = PORT_STATUS_OF[state];
    if (state == NET_CONNECT_FAILED && e->given_up) status.state = PORT_CLOSED;
    engine_core_set_status(&e->core, status.state, status.reason);
}

static void give_up(NetworkEngine* e)
{
    InterlockedExchange(&e->given_up, 1);
}

static void read_address(NetworkEngine* e, SOCKET socket, bool local)
{
    sockaddr_in address = {};
    int length = sizeof address;
    int result = local ? getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length)
                       : getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length);
    if (result != 0) return;
    EnterCriticalSection(&e->socket_lock);
    (local ? e->local_address : e->remote_address) = address;
    LeaveCriticalSection(&e->socket_lock);
}

static void publish(NetworkEngine* e, SOCKET* field, SOCKET socket)
{
    EnterCriticalSection(&e->socket_lock);
    *field = socket;
    LeaveCriticalSection(&e->socket_lock);
}

// After a receive of 0 bytes: whether the peer closed in order (it is still named)
// rather than reset the connection. Under Wine a reset is taken up by the wait that
// saw it, so that recv returns 0 for it as for an orderly close, and the socket's
// error is clear by then; only the lost peer tells a reset apart.
static bool closed_in_order(SOCKET socket)
{
    sockaddr_in peer = {};
    int length = sizeof peer;
    return getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

// Receives until the peer closes, a receive fails, or the engine stops. A block of
// bytes is received again at once; only when none is there does the thread wait.
static void receive_loop(NetworkEngine* e, SOCKET socket)
{
    const int size = e->core.callbacks.receive_buffer_size;
    char* buffer = reinterpret_cast<char*>(e->core.rx_buffer);
    while (!stopping(e) && e->net_state == NET_CONNECTED) {
        int count = recv(socket, buffer, size, 0);
        if (count > 0) {
            engine_core_receive(&e->core, static_cast<std::uint32_t>(count));
            continue;
        }
        if (count == 0 && closed_in_order(socket)) {
            set_state(e, NET_DISCONNECTED);
            return;
        }
        if (count == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
            // A reset, for one: the engine stops working rather than reconnecting.
            set_state(e, NET_RECEIVE_FAILED);
            give_up(e);
            return;
        }
        if (wait_socket(socket, true) == SOCKET_ERROR) {
            set_state(e, NET_DISCONNECTED);
            return;
        }
    }
}

// One connection, accepted or made: the send thread may use it while it lasts; then it
// is closed by this thread.
static void serve_connection(NetworkEngine* e, SOCKET socket)
{
    read_address(e, socket, true);
    publish(e, &e->data_socket, socket);
    set_state(e, NET_CONNECTED);
    SetEvent(e->link_changed);
    receive_loop(e, socket);
    publish(e, &e->data_socket, 0);
    SetEvent(e->link_changed);
    close_socket(socket);
}

// The wait between attempts: wait_time seconds in steps of 100 ms, ended at once by
// the stop; state 4 is reported 0.9 s before its end. The step count is kept in 64
// bits, so no wait time the engine is handed can overflow it.
static void retry_wait(NetworkEngine* e)
{
    long long steps = static_cast<long long>(e->settings.wait_time) * 10;
    for (long long left = steps; left > 0; --left) {
        if (stopping(e)) return;
        WaitForSingleObject(e->connection_wake, 100);
        if (left == 10) set_state(e, NET_RETRY_PENDING);
    }
}

// A TCP socket; without one the engine reports it and stops working.
static SOCKET new_socket(NetworkEngine* e)
{
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET) {
        set_state(e, NET_SOCKET_FAILED);
        give_up(e);
    }
    return socket;
}

// One connection attempt on a fresh socket (a socket whose connect failed is not
// reused: what it may do next differs between systems). 1 connected, 0 failed, -1
// stopped meanwhile.
static int attempt(NetworkEngine* e, SOCKET socket)
{
    if (!set_non_blocking(socket)) return 0;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&e->remote_address), sizeof e->remote_address) == 0)
        return 1;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return 0;
    for (;;) {
        if (stopping(e)) return -1;
        int ready = wait_socket(socket, false, true);
        if (ready == SOCKET_ERROR) return 0;
        if (ready == 0) continue;
        // Writable or in error: the socket's own error says which.
        int error = 0;
        int length = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) return 0;
        return error == 0 ? 1 : 0;
    }
}

// Attempts until one connects (served until it ends) or retry_count + 1 have failed,
// with a wait between them.
static void connect_phase(NetworkEngine* e)
{
    // Counted in 64 bits: a retry count of 2^31 - 1 read from the file never wraps.
    for (long long failures = 0; !stopping(e);) {
        SOCKET socket = new_socket(e);
        if (socket == INVALID_SOCKET) return;
        publish(e, &e->connecting_socket, socket);
        int result = attempt(e, socket);
        publish(e, &e->connecting_socket, 0);
        if (result == 1) {
            serve_connection(e, socket);
            return;
        }
        close_socket(socket);
        if (result < 0) return;
        // Given up before the report, so that the last failure reads as closed.
        bool last = ++failures > e->settings.retry_count;
        if (last) give_up(e);
        set_state(e, NET_CONNECT_FAILED);
        if (last) return;
        retry_wait(e);
    }
}

static void client_routine(NetworkEngine* e)
{
    while (!stopping(e)) {
        connect_phase(e);
        if (stopping(e)) return;
        // Reconnect answers a connection that was made and then closed by the peer.
        if (!e->settings.reconnect) {
            give_up(e);
            return;
        }
        retry_wait(e);
    }
}

// Waits for a peer on the listening socket; INVALID_SOCKET when accept failed, 0
// when the engine stops first.
static SOCKET accept_peer(NetworkEngine* e, SOCKET listener)
{
    while (!stopping(e)) {
        int ready = wait_socket(listener, true);
        if (ready == SOCKET_ERROR) return INVALID_SOCKET;
        if (ready == 0) continue;
        SOCKET peer = accept(listener, nullptr, nullptr);
        if (peer != INVALID_SOCKET || WSAGetLastError() != WSAEWOULDBLOCK) return peer;
    }
    return 0;
}

static void server_routine(NetworkEngine* e)
{
    SOCKET listener = new_socket(e);
    if (listener == INVALID_SOCKET) return;
    publish(e, &e->listen_socket, listener);
    if (bind(listener, reinterpret_cast<const sockaddr*>(&e->remote_address), sizeof e->remote_address) != 0) {
        set_state(e, NET_BIND_FAILED);
    } else if (listen(listener, NET_BACKLOG) != 0 || !set_non_blocking(listener)) {
        set_state(e, NET_SOCKET_FAILED);
    } else {
        while (!stopping(e)) {
            read_address(e, listener, true);
            set_state(e, NET_LISTENING);
            SOCKET peer = accept_peer(e, listener);
            if (peer == 0) break;
            if (peer == INVALID_SOCKET) {
                set_state(e, NET_RECEIVE_FAILED);
                break;
            }
            // Accepted sockets take the listener's mode; made sure of all the same.
            set_non_blocking(peer);
            read_address(e, peer, false);
            serve_connection(e, peer);
        }
    }
    // However the serving ended, nothing will listen again on this port.
    give_up(e);
    publish(e, &e->listen_socket, 0);
    close_socket(listener);
}

static DWORD WINAPI connection_thread_body(void* parameter) noexcept
{
    NetworkEngine* e = static_cast<NetworkEngine*>(parameter);
    if (e->mode == NET_MODE_SERVER)
        server_routine(e);
    else
        client_routine(e);
    // The send thread reports a write still waiting: no connection will come for it.
    if (e->given_up) SetEvent(e->link_changed);
    engine_thread_leave(&e->connection_thread);
    return 0;
}

// Send thread from here on.

static bool connected(NetworkEngine* e)
{
    return e->net_state == NET_CONNECTED && !e->core.stop_requested;
}

// One send of the request on the data socket, waiting while the socket takes nothing.
// Returns the count sent (a partial send is reported as it is: the port sends the
// rest), 0 when the connection ended, the send failed or the write was aborted, and
// -1 when the engine stops (then nothing is reported).
static std::int32_t send_now(NetworkEngine* e, const unsigned char* data, std::int32_t length)
{
    for (;;) {
        if (e->core.stop_requested) return -1;
        if (InterlockedExchange(&e->abort_write, 0)) return 0;
        EnterCriticalSection(&e->socket_lock);
        SOCKET socket = e->net_state == NET_CONNECTED ? e->data_socket : 0;
        int sent = SOCKET_ERROR;
        int error = 0;
        if (socket) {
            sent = send(socket, reinterpret_cast<const char*>(data), length, 0);
            if (sent == SOCKET_ERROR) error = WSAGetLastError();
        }
        LeaveCriticalSection(&e->socket_lock);
        if (!socket) return 0;
        if (sent > 0) return sent;
        if (sent == 0 || error != WSAEWOULDBLOCK) return 0;
        if (wait_socket(socket, false) == SOCKET_ERROR) {
            // Closed by the connection thread meanwhile, or a failed wait: the next pass
            // tells which.
            Sleep(1);
        }
    }
}

// Sends the waiting write, and the next one when its report asks for it at once.
static void send_writes(NetworkEngine* e)
{
    const unsigned char* data;
    std::int32_t length;
    while (connected(e) && engine_core_take_write(&e->core, &data, &length)) {
        std::int32_t sent = send_now(e, data, length);
        if (sent < 0 || !engine_core_write_ended(&e->core, sent)) return;
    }
}

// The waiting write is reported with nothing sent: its connection ended, or
// abort_send. A write asked for from inside that report waits for the next
// connection, or goes at once when there is one.
static void end_waiting_write(NetworkEngine* e)
{
    const unsigned char* data;
    std::int32_t length;
    if (e->core.stop_requested || !engine_core_take_write(&e->core, &data, &length)) return;
    if (engine_core_write_ended(&e->core, 0)) send_writes(e);
}

// The send thread's wait set, in the order of priority.
enum SendSlot : DWORD {
    SEND_SLOT_WRITE_REQUEST = 0,
    SEND_SLOT_LINK_CHANGED = 1,
    SEND_SLOT_WAKE = 2,  // stop, or abort_send
    SEND_SLOTS = 3,
};

static void serve_event(void* context, DWORD slot)
{
    NetworkEngine* e = static_cast<NetworkEngine*>(context);
    switch (slot) {
    case SEND_SLOT_WRITE_REQUEST:
        send_writes(e);
        break;
    case SEND_SLOT_LINK_CHANGED:
        if (connected(e))
            send_writes(e);
        else
            end_waiting_write(e);
        break;
    case SEND_SLOT_WAKE:
        if (InterlockedExchange(&e->abort_write, 0)) end_waiting_write(e);
        break;
    }
}

static DWORD WINAPI send_thread_body(void* parameter) noexcept
{
    NetworkEngine* e = static_cast<NetworkEngine*>(parameter);
    HANDLE set[SEND_SLOTS];
    set[SEND_SLOT_WRITE_REQUEST] = e->core.write_request;
    set[SEND_SLOT_LINK_CHANGED] = e->link_changed;
    set[SEND_SLOT_WAKE] = e->core.wake;
    while (!e->core.stop_requested) engine_wait_and_serve(&e->core, set, SEND_SLOTS, INFINITE, serve_event, e);
    engine_thread_leave(&e->core.thread);
    return 0;
}
