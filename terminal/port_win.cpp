// Creating and closing ports, the send queue around the engine's write slot, the
// receive path into the console, abort, the connection text and the list of open
// ports. Threads: creation, closing and typing on the UI thread; on_receive, on_sent
// and show_connection_status on engine threads; port_send and abort_send also on the
// file-send thread. Locks: the port mutex around the queue and the write slot, never
// held while a hook runs; the receive path takes none.
#include "terminal/port_win.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "base/command_state_win.h"
#include "base/app_record_win.h"
#include "base/status_bar_win.h"
#include "resources/commands.h"
#include "terminal/auto_reopen_win.h"
#include "terminal/display_settings.h"
#include "terminal/paced_send_win.h"
#include "terminal/port_kind_registry_win.h"
#include "terminal/reading_win.h"
#include "terminal/receive_convert.h"
#include "terminal/terminal_window_win.h"

volatile LONG open_port_count = 0;
PortTransferHooks port_transfer_hooks = {};

constexpr DWORD ZERO_WRITE_PAUSE_MS = 10;

// The commands and top-level menus that exist only while a port is open.

void port_set_slots(Port* port, const PortSlots* slots)
{
    port->close = slots->close;
    port->write = slots->write;
    port->long_name = slots->long_name;
    port->short_name = slots->short_name;
    port->apply_settings = slots->apply_settings;
}

// The program keeps no list of ports of its own: the open ports are the MDI client's
// children that hold one. That holds for a port's whole life, because a window is
// destroyed only by close_port (its close box asks the frame to close the port; see
// terminal_window_win.cpp), and a port whose window could not be made is closed at
// once.
static Port* port_of_window(HWND window)
{
    return window ? reinterpret_cast<Port*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

// No exception may leave the callback: without the memory for the list, the ports
// collected so far are what the caller gets.
static BOOL CALLBACK collect_port(HWND window, LPARAM list) noexcept
{
    // EnumChildWindows also visits the children's own children.
    if (GetParent(window) != app.mdi_client) return TRUE;
    Port* port = port_of_window(window);
    if (!port) return TRUE;
    try {
        reinterpret_cast<std::vector<Port*>*>(list)->push_back(port);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

static std::vector<Port*> open_ports()
{
    std::vector<Port*> ports;
    if (app.mdi_client) EnumChildWindows(app.mdi_client, collect_port, reinterpret_cast<LPARAM>(&ports));
    return ports;
}

std::vector<Port*> open_port_list()
{
    return open_ports();
}

bool port_is_open(Port* port)
{
    if (!port) return false;
    for (Port* open : open_ports())
        if (open == port) return true;
    return false;
}

void for_each_port(void (*routine)(Port* port))
{
    if (!routine) return;
    // Collected first: the routine may close ports, and with them their windows.
    for (Port* port : open_ports()) routine(port);
}

Port* find_active_port()
{
    if (!app.mdi_client) return nullptr;
    HWND active = reinterpret_cast<HWND>(SendMessageA(app.mdi_client, WM_MDIGETACTIVE, 0, 0));
    return port_of_window(active);
}

HWND port_window(const Port* port)
{
    return port ? static_cast<HWND>(port->console.window) : nullptr;
}

Port* port_from_window(HWND window)
{
    // The system does not give a destroyed window's handle to the next window made
    // (each handle carries a use count of its slot), so a handle that is still an MDI
    // child holding a Port names the port it was taken from.
    if (!window || !app.mdi_client || !IsWindow(window) || GetParent(window) != app.mdi_client) return nullptr;
    return port_of_window(window);
}

bool port_callback_enter(Port* port)
{
    if (!port) return false;
    InterlockedIncrement(&port->callbacks_running);
    if (port->delivery_stopped) {
        InterlockedDecrement(&port->callbacks_running);
        return false;
    }
    return true;
}

void port_callback_leave(Port* port)
{
    InterlockedDecrement(&port->callbacks_running);
}

void handle_sent_messages(DWORD timeout_ms)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms, QS_SENDMESSAGE);
    // Peeking is what delivers the sent messages; nothing posted is taken.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Stops engine calls from reaching the port and waits for those under way. They may
// be waiting for this thread (the status bar and toolbar are set by sent messages),
// so sent messages are handled meanwhile.
static void stop_delivery(Port* port)
{
    InterlockedExchange(&port->delivery_stopped, 1);
    while (port->callbacks_running != 0) handle_sent_messages(10);
}

void port_engine_callbacks(Port* port, EngineCallbacks* callbacks)
{
    callbacks->receive_buffer_size = ENGINE_RECEIVE_BUFFER_SIZE;
    callbacks->on_receive = on_receive;
    callbacks->on_sent = on_sent;
    callbacks->on_status = port_status_changed;
    callbacks->owner = port;
}

static DWORD WINAPI stop_engine(void* parameter) noexcept
{
    Port* port = static_cast<Port*>(parameter);
    port->close(port);
    return 0;
}

// Stops the ports' engines and frees their records. One port's stop protocol takes
// 100 ms at least and up to about a second, so with several each runs on a thread of
// its own; the kinds' close routines touch nothing but their own record, engine and
// device. A port whose thread cannot be made is stopped here meanwhile. Sent messages
// are handled while waiting, as in stop_delivery.
static void stop_engines(Port* const* ports, std::size_t count)
{
    std::vector<HANDLE> threads;
    for (std::size_t i = 0; i < count; ++i) {
        Port* port = ports[i];
        if (!port->close) continue;
        HANDLE thread = count > 1 ? CreateThread(nullptr, 0, stop_engine, port, 0, nullptr) : nullptr;
        if (thread)
            threads.push_back(thread);
        else
            port->close(port);
    }
    for (HANDLE thread : threads) {
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
            handle_sent_messages(0);
        CloseHandle(thread);
    }
}

// Closes ports that are open or being opened, side by side, each in this order: a
// file send takes no further piece, what is being sent is aborted (one wait for all
// the ports), the file send and the receive log end, callbacks stop, the mutex and
// the window go, the engine stops and frees the record, and a paste's text goes last.
static void close_now(Port* const* ports, std::size_t count)
{
    // Ends a paste under way for good: its aborted write reports into a hook that
    // stops. The file transfer's stop has waited for the send thread and closed the
    // log when it returns. What arrives from the start of the close on is neither
    // shown nor logged: the abort drops what arrives during its quiet half second,
    // and a chunk logged after that would leave a hole in the log, which therefore
    // ends where the close began.
    for (std::size_t i = 0; i < count; ++i) {
        InterlockedExchange(&ports[i]->closing, 1);
        paced_send_stop(ports[i]);
        if (port_transfer_hooks.stopping) port_transfer_hooks.stopping(ports[i]);
    }
    abort_sends(ports, count);
    std::vector<char*> pastes(count, nullptr);
    std::vector<PacedSend*> paced(count, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
        Port* port = ports[i];
        if (port_transfer_hooks.stop) port_transfer_hooks.stop(port);
        paced_send_end(port);
        // From here on no engine call reaches the port: the mutex, the console and
        // the record go before the engine itself is stopped.
        stop_delivery(port);
        port_records_release(&port->records);
        // Nothing can take the mutex any more: the file send's thread has ended, the
        // engine's calls are stopped and this thread sends nothing after a close.
        if (InterlockedExchange(&port->mutex_made, 0)) DeleteCriticalSection(&port->mutex);
        // The engine may still be writing the paste's text: it is freed only once the
        // engine has stopped. No hook can free it meanwhile (delivery has stopped).
        pastes[i] = port->paste_text;
        port->paste_text = nullptr;
        paced[i] = port->paced;  // the same for a paced send's bytes
        port->paced = nullptr;
        destroy_terminal_window(port);
    }
    stop_engines(ports, count);
    for (char* paste : pastes) std::free(paste);
    for (PacedSend* send : paced) paced_send_free(send);
    if (open_port_count == 0) command_state_refresh();
}

static void close_now(Port* port)
{
    close_now(&port, 1);
}

// Whether an open port has the device already.
static bool device_open(const char* device)
{
    for (Port* open : open_ports())
        if (lstrcmpiA(open->device_name, device) == 0) return true;
    return false;
}

Port* create_port(int kind, const void* argument)
{
    const PortKindEntry entry = port_kind_entry(kind);
    if (!entry.create) return nullptr;
    char device[PORT_DEVICE_NAME_SIZE] = "";
    if (entry.device_name && entry.device_name(argument, device, sizeof device) && device_open(device)) {
        if (entry.refuse) entry.refuse(app.frame_window, argument);
        return nullptr;
    }
    Port* port = entry.create(app.frame_window, argument);
    if (!port) return nullptr;
    std::memcpy(port->device_name, device, sizeof device);
    if (!InitializeCriticalSectionAndSpinCount(&port->mutex, 0)) {
        // Without its mutex nothing could be sent; the system is out of memory.
        if (port->close) port->close(port);
        return nullptr;
    }
    port->mutex_made = 1;
    if (!create_terminal_window(port, app.frame_window)) {
        // A port without its window could be neither seen nor closed by the user,
        // and would hold its device until the program ends: it is closed at once.
        close_now(port);
        return nullptr;
    }
    // The engine has run since the constructor: a change it reported before the
    // window was there (a loopback connection is made at once) could not reach the
    // caption, which is therefore taken again now.
    if (port->long_name) SetWindowTextA(static_cast<HWND>(port->console.window), port->long_name(port));
    const char* name = port->short_name ? port->short_name(port) : "";
    set_status_text(STATUS_PORT_NAME, name);
    if (port->status.state == PORT_WAITING_FOR_DEVICE) auto_reopen_start(port);
    command_state_refresh();
    return port;
}

// Every write slot call runs under the port mutex, so once reopening is set under it
// none reaches the engine until the reopen is over. The old engine's reports still
// come (its write under way is reported as it stops) and take the mutex as usual;
// the queue is emptied before and after, as by an abort.
bool port_reopen(Port* port)
{
    if (!port_is_open(port) || !port->mutex_made || port->kind < PORT_SERIAL || port->kind > PORT_USB) return false;
    const PortKindEntry entry = port_kind_entry(port->kind);
    if (!entry.reopen) return false;
    EnterCriticalSection(&port->mutex);
    InterlockedExchange(&port->reopening, 1);
    send_queue_reset(&port->send);
    LeaveCriticalSection(&port->mutex);
    // A port waiting for its device goes on waiting when the device is not back yet.
    PortStatus failed = port->status.state == PORT_WAITING_FOR_DEVICE ? port->status
                                                                     : PortStatus{PORT_LOST, PORT_REASON_DEVICE_GONE};
    bool running = entry.reopen(port);
    // The engine has stopped and none runs in its place: nothing will report again.
    if (!running) port_set_status(port, failed);
    EnterCriticalSection(&port->mutex);
    send_queue_reset(&port->send);
    port->completion_hook = nullptr;
    InterlockedExchange(&port->reopening, 0);
    LeaveCriticalSection(&port->mutex);
    show_connection_status(port);
    return running;
}

void close_port(Port* port)
{
    // A close request posted by a window can arrive after the port was closed
    // another way.
    if (port_is_open(port)) close_now(port);
}

void close_all_ports()
{
    std::vector<Port*> ports = open_ports();
    // The MDI client lists its windows from the active one down: closed from the
    // bottom up, no window is activated (and laid out, painted and given the caret)
    // only to be closed next.
    std::reverse(ports.begin(), ports.end());
    if (!ports.empty()) close_now(ports.data(), ports.size());
}

// Issues a write the queue asked for; the port mutex is held. False when the engine
// refused it: an engine refuses only once it has stopped for good (a device pulled
// out, a connection given up), and then no write of it will ever report; and while
// the port reopens, no write reaches the engine being replaced.
static bool start_write(Port* port, const SendWrite& write)
{
    if (!write.data || !port->write) return true;
    if (port->reopening) return false;
    bool taken = port->write(port, write.data, write.length) > 0;
    InterlockedExchange(&port->write_refused, taken ? 0 : 1);
    return taken;
}

std::int32_t port_send(Port* port, const unsigned char* data, std::int32_t length, PortCompletionHook hook)
{
    if (!port || !data || length <= 0 || !port->mutex_made) return 0;
    EnterCriticalSection(&port->mutex);
    bool idle = port->send.in_flight_length == 0;
    SendWrite write;
    std::int32_t accepted = send_queue_offer(&port->send, data, length, hook != nullptr, &write);
    if (idle) port->completion_hook = hook;
    if (!start_write(port, write)) {
        // Kept, the bytes would stay in flight for ever: typing would wait behind them
        // and a file send for a report that never comes. Refused, a file send offers
        // its piece again until it is stopped.
        send_queue_reset(&port->send);
        port->completion_hook = nullptr;
        accepted = 0;
    }
    LeaveCriticalSection(&port->mutex);
    return accepted;
}

void on_sent(void* owner, const unsigned char* /*data*/, std::int32_t /*requested*/, std::int32_t written)
{
    Port* port = static_cast<Port*>(owner);
    if (!port_callback_enter(port)) return;
    // A buffered write that wrote nothing is offered again from the same place; a
    // device that fails every write at once would make that a tight loop, so the
    // retry waits a little first (a direct write's hook makes its own pause). Only
    // this thread changes direct_buffer while a write is in flight.
    if (written <= 0 && !port->send.direct_buffer) Sleep(ZERO_WRITE_PAUSE_MS);
    if (written > 0) InterlockedExchangeAdd64(&port->sent_count, written);
    EnterCriticalSection(&port->mutex);
    SendWrite next;
    bool direct_ended = send_queue_completed(&port->send, written, &next);
    PortCompletionHook hook = direct_ended ? port->completion_hook : nullptr;
    start_write(port, next);
    LeaveCriticalSection(&port->mutex);
    // The hook may send again, so the mutex is free by now.
    if (hook) hook(port, written < 0 ? 0 : written);
    port_callback_leave(port);
}

void abort_send(Port* port)
{
    abort_sends(&port, 1);
}

void abort_sends(Port* const* ports, std::size_t count)
{
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        Port* port = ports[i];
        if (!port || !port->mutex_made) continue;
        // Several port mutexes held at once: no other thread ever waits for a second
        // port's mutex while it holds one, so the order cannot deadlock.
        EnterCriticalSection(&port->mutex);
        InterlockedExchange(&port->quiet, 1);
        // A paste must not send its rest when its aborted write reports after quiet
        // is over (the report can wait for this mutex): it ends at that report.
        InterlockedExchange(&port->paste_ending, 1);
        if (auto wake = port_kind_entry(port->kind).wake_engine) wake(port);
        any = true;
    }
    // Gives the engines time to cancel or purge what they are writing; the mutexes
    // keep every sender out meanwhile.
    if (any) Sleep(500);
    for (std::size_t i = 0; i < count; ++i) {
        Port* port = ports[i];
        if (!port || !port->mutex_made) continue;
        send_queue_reset(&port->send);
        InterlockedExchange(&port->quiet, 0);
        LeaveCriticalSection(&port->mutex);
    }
}

void on_receive(void* owner, const unsigned char* data, std::int32_t length)
{
    Port* port = static_cast<Port*>(owner);
    if (!data || length <= 0 || !port_callback_enter(port)) return;
    InterlockedExchangeAdd64(&port->received_count, length);
    std::uint32_t at = 0, total = static_cast<std::uint32_t>(length);
    while (at < total && !port->quiet && !port->closing) {
        std::uint32_t consumed = 0;
        // Read afresh for every chunk: the settings sheet may change it meanwhile.
        int mode = display_settings.receive_crlf;
        std::uint32_t chunk = receive_convert_chunk(mode, data + at, total - at, &consumed, port->rx_convert_buffer);
        at += consumed;
        if (!receive_taps_deliver(&port->taps, port, port->rx_convert_buffer, static_cast<std::int32_t>(chunk)))
            continue;
        console_show(port, port->rx_convert_buffer, static_cast<std::int32_t>(chunk), SHOW_RECEIVED);
    }
    port_callback_leave(port);
}

void show_connection_status(void* owner)
{
    Port* port = static_cast<Port*>(owner);
    if (!port_callback_enter(port)) return;
    if (port->console.has_focus) set_status_text(STATUS_CONNECTION, port_connection_text(port));
    // A modem line that changed is shown now, not at the counters' next tick.
    show_counters(port);
    port_callback_leave(port);
}

void port_set_status(Port* port, PortStatus status)
{
    port->status = status;
    port->connection_state = port_connection_state(status);
}

void port_status_changed(void* owner, PortStatus status)
{
    Port* port = static_cast<Port*>(owner);
    if (!port_callback_enter(port)) return;
    port_set_status(port, auto_reopen_status(port, status));
    port_callback_leave(port);
    show_connection_status(port);
}

const char* port_connection_text(const Port* port)
{
    return port_status_text(port->status);
}
