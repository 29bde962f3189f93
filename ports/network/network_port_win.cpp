// The network kind: settings, history, the network Port with its slots and its status
// routine. See network_port_win.h. The settings record and the NET counter belong to
// the UI thread; the status routine runs on the connection thread and touches only
// the status, the window's caption and (through show_connection_status) the
// status bar, all inside the port's callback guard, so that a close waiting for it
// keeps handling the caption's sent message and no call reaches a window that is gone.
#include "ports/network/network_port_win.h"

#include <cstdio>
#include <cstdlib>

#include "base/settings.h"
#include "ports/network/network_page.h"
#include "terminal/pacing_win.h"
#include "terminal/port_kind_registry_win.h"

static const char CONFIG_SECTION[] = "network config";
static const char HISTORY_SECTION[] = "network history";
static const char PACING_SECTION[] = "network";

static NetworkSettings settings = NETWORK_DEFAULT_SETTINGS;
Pacing network_pacing;
// Numbers are never given twice in a run: an open that fails uses one up.
static std::int32_t net_counter = 0;

NetworkSettings* network_settings()
{
    return &settings;
}

void network_load_settings()
{
    const NetworkSettings& d = NETWORK_DEFAULT_SETTINGS;
    settings.reconnect = settings_read_int(CONFIG_SECTION, "re-connect", d.reconnect);
    settings.wait_time = settings_read_int(CONFIG_SECTION, "wait time", d.wait_time);
    settings.retry_count = settings_read_int(CONFIG_SECTION, "connect retry", d.retry_count);
    network_settings_make_usable(&settings);
    network_pacing = pacing_load(PACING_SECTION);
}

void network_save_settings()
{
    settings_write_int(CONFIG_SECTION, "re-connect", settings.reconnect);
    settings_write_int(CONFIG_SECTION, "wait time", settings.wait_time);
    settings_write_int(CONFIG_SECTION, "connect retry", settings.retry_count);
    pacing_save(PACING_SECTION, network_pacing);
}

int network_startup(int)
{
    network_load_settings();
    return net_startup();
}

void network_release()
{
    net_cleanup();
}

void network_load_history(NetworkHistory* history)
{
    net_history_clear(history);
    int keys = net_history_keys(settings_read_int(HISTORY_SECTION, "list entry", 0));
    for (int k = 1; k <= keys; ++k) {
        char key[32], value[NET_HOST_TEXT_SIZE];
        std::snprintf(key, sizeof key, "host list %d", k);
        settings_read_text(HISTORY_SECTION, key, value, sizeof value, "");
        net_history_add_stored(history, value);
    }
    history->last_port = settings_read_int(HISTORY_SECTION, "ports", NET_DEFAULT_PORT);
    history->last_protocol = settings_read_int(HISTORY_SECTION, "protcol", NET_MODE_CLIENT);
}

static int write_host(const char* section, int index, void* context)
{
    char key[32];
    std::snprintf(key, sizeof key, "host list %d", index + 1);
    return settings_write_text(section, key, static_cast<const NetworkHistory*>(context)->hosts[index]);
}

void network_save_history(const NetworkHistory* history)
{
    if (!history || history->count <= 0) return;
    settings_write_list(HISTORY_SECTION, "list entry", history->count, write_host,
                        const_cast<NetworkHistory*>(history));
    settings_write_int(HISTORY_SECTION, "ports", history->last_port);
    // The key is spelt so in every settings file written so far.
    settings_write_int(HISTORY_SECTION, "protcol", history->last_protocol);
}

static NetworkPort* network_port_of(Port* port)
{
    return reinterpret_cast<NetworkPort*>(port);
}

// The long name into a buffer of the caller's: the slot and the status routine run on
// different threads, so each formats into its own.
static void format_long_name(NetworkPort* net, char* out, size_t size)
{
    char address[128];
    net_address_text(&net->engine, address, sizeof address, 1);
    std::snprintf(out, size, "%s(%d) (NET%d)", address, net_port(&net->engine, 1), net->net_number);
}

const char* network_long_name(Port* port)
{
    if (!port) return "";
    format_long_name(network_port_of(port), port->long_name_text, sizeof port->long_name_text);
    return port->long_name_text;
}

const char* network_short_name(Port* port)
{
    if (!port) return "";
    std::snprintf(port->short_name_text, sizeof port->short_name_text, "NET%d", network_port_of(port)->net_number);
    return port->short_name_text;
}

static std::int32_t network_write_slot(Port* port, const unsigned char* data, std::int32_t length)
{
    if (!port || !data || length <= 0) return 0;
    return net_write(&network_port_of(port)->engine, data, length);
}

static void network_close_slot(Port* port)
{
    if (!port) return;
    net_stop(&network_port_of(port)->engine);
    std::free(port);
}

// Settings changed later reach only the ports opened afterwards.
static void network_apply_settings(Port*) {}

void network_wake_engine(Port* port)
{
    if (port) net_abort_write(&network_port_of(port)->engine);
}

static const PortSlots NETWORK_SLOTS = {network_close_slot, network_write_slot, network_long_name,
                                        network_short_name, network_apply_settings};

// The connection thread's report of a new state: connected or not, and on listening,
// connected and disconnected the caption, which then names the local address and
// port.
static void network_port_status(void* owner, PortStatus status)
{
    Port* port = static_cast<Port*>(owner);
    if (!port_callback_enter(port)) return;
    NetworkPort* net = network_port_of(port);
    int state = net_state(&net->engine);
    port_set_status(port, status);
    HWND window = static_cast<HWND>(port->console.window);
    if (window && state >= NET_LISTENING && state <= NET_DISCONNECTED) {
        char caption[sizeof port->long_name_text];
        format_long_name(net, caption, sizeof caption);
        SetWindowTextA(window, caption);
    }
    port_callback_leave(port);
    show_connection_status(port);
}

Port* network_port_new(HWND frame, const void* argument)
{
    const NetworkTarget* target = static_cast<const NetworkTarget*>(argument);
    NetworkTarget given = target ? *target : NetworkTarget{"", 0, NET_MODE_CLIENT};
    if (!given.host) given.host = "";
    NetworkPort* net = static_cast<NetworkPort*>(std::calloc(1, sizeof(NetworkPort)));
    if (net) {
        Port* port = &net->port;
        port->kind = PORT_NETWORK;
        port_set_status(port, PortStatus{PORT_CONNECTING, PORT_REASON_NONE});
        port_set_slots(port, &NETWORK_SLOTS);
        net->net_number = ++net_counter;
        std::snprintf(net->host, sizeof net->host, "%s", given.host);
        net->tcp_port = given.port;
        net->mode = given.mode;
        NetworkOpenParams params;
        params.target = given;
        params.settings = settings;
        port_engine_callbacks(port, &params.callbacks);
        params.callbacks.on_status = network_port_status;
        if (net_open(&net->engine, &params) == 0) return port;
        std::free(net);
    }
    char port[16];
    std::snprintf(port, sizeof port, "%d", given.port);
    network_tell_not_opened(frame, given.host, port);
    return nullptr;
}

void network_tell_not_opened(HWND owner, const char* host, const char* port)
{
    char text[NET_HOST_TEXT_SIZE + 96];
    std::snprintf(text, sizeof text, "\"%s\"(%s)はｵｰﾌﾟﾝ出来ません", host, port);
    port_kind_warn(owner, text, "ﾈｯﾄﾜｰｸ･ﾎﾟｰﾄ･ｵｰﾌﾟﾝ");
}

// HOST:PORT a client, :PORT a server listening on every address. The host history
// is the connect dialog's: a port named on the command line leaves it as it is.
static Port* network_open_request(const PortRequest* request)
{
    const bool server = request->network_mode == NET_MODE_SERVER;
    const char* host = request->host && request->host[0] ? request->host : server ? "0.0.0.0" : "";
    NetworkTarget target = {host, request->tcp_port, server ? NET_MODE_SERVER : NET_MODE_CLIENT};
    return create_port(PORT_NETWORK, &target);
}

static bool network_describe(Port* port, PortRequest* out)
{
    NetworkPort* net = network_port_of(port);
    *out = PortRequest{PORT_NETWORK, 0, net->host, net->tcp_port, net->mode, -1, -1, -1, -1};
    return true;
}

// A network port names no device: it may connect to the same peer more than once.
static Pacing network_port_pacing(Port*)
{
    return network_pacing;
}

void network_register_kind()
{
    static const PortKindEntry kind = {network_port_new, network_wake_engine, nullptr, network_startup, network_connect,
                                        network_settings_page, nullptr, network_release, nullptr, nullptr,
                                        network_port_pacing, network_open_request, network_describe};
    port_kind_register(PORT_NETWORK, kind);
}
