// The last session written and opened again; see last_session_win.h. UI thread only;
// the ports are reached through the kinds' door, the windows through the MDI client.
#include "app/last_session_win.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/app_record_win.h"
#include "base/command_state_win.h"
#include "base/double_byte.h"
#include "base/settings.h"
#include "terminal/port_kind_registry_win.h"
#include "terminal/port_win.h"

namespace {

const char SECTION[] = "velkaro";
const char FAILED_CAPTION[] = "前回のﾎﾟｰﾄ";

bool reopen_on;
bool kept_as_is;

void key_of(const char* name, int n, char* out, std::size_t size)
{
    std::snprintf(out, size, "%s %d", name, n);
}

int read_count()
{
    int count = settings_read_int(SECTION, "session ports", 0);
    return count < 0 ? 0 : count > COMMAND_LINE_MAX_PORTS ? COMMAND_LINE_MAX_PORTS : count;
}

// A server on every address is named ":PORT"; one on an address of its own keeps
// that address in its own key.
bool command_line_port_of(const PortRequest& request, CommandLinePort* out)
{
    std::memset(out, 0, sizeof *out);
    out->kind = request.kind;
    out->number = request.number;
    out->tcp_port = request.tcp_port;
    out->network_mode = request.network_mode;
    if (request.kind == PORT_NETWORK && request.network_mode == 0) {
        if (!request.host || std::strlen(request.host) >= sizeof out->host) return false;
        std::strcpy(out->host, request.host);
    }
    return true;
}

void write_entry(int n, Port* port, HWND window)
{
    PortRequest request = {};
    CommandLinePort named;
    char key[40], text[COMMAND_LINE_TEXT_SIZE];
    const PortKindEntry kind = port_kind_entry(port->kind);
    if (!kind.describe || !kind.describe(port, &request) || !command_line_port_of(request, &named) ||
        !command_line_format_port(named, text, sizeof text))
        text[0] = '\0';
    key_of("session port", n, key, sizeof key);
    settings_write_text(SECTION, key, text);
    const bool listens = request.kind == PORT_NETWORK && request.network_mode == 1 && request.host &&
                         request.host[0] && std::strcmp(request.host, "0.0.0.0") != 0;
    key_of("session listen", n, key, sizeof key);
    settings_write_text(SECTION, key, listens ? request.host : nullptr);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    const RECT& r = placement.rcNormalPosition;
    SessionPlace place = {};
    if (GetWindowPlacement(window, &placement)) {
        place = SessionPlace{r.left, r.top, r.right, r.bottom,
                             placement.showCmd == SW_SHOWMINIMIZED ? SESSION_SHOWN_MINIMIZED
                             : IsZoomed(window)                     ? SESSION_SHOWN_MAXIMIZED
                                                                    : SESSION_SHOWN_NORMAL};
    }
    key_of("session place", n, key, sizeof key);
    settings_write_text(SECTION, key, session_format_place(place, text, sizeof text) ? text : "");
}

void remove_entry(int n)
{
    char key[40];
    for (const char* name : {"session port", "session listen", "session place"}) {
        key_of(name, n, key, sizeof key);
        settings_write_text(SECTION, key, nullptr);
    }
}

// Its normal rectangle first, then shown as it was.
void place_window(HWND window, const SessionPlace& place)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = RECT{place.left, place.top, place.right, place.bottom};
    SetWindowPlacement(window, &placement);
    if (place.shown == SESSION_SHOWN_MAXIMIZED) SendMessageA(app.mdi_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window), 0);
    if (place.shown == SESSION_SHOWN_MINIMIZED) ShowWindow(window, SW_MINIMIZE);
}

}  // namespace

void last_session_load()
{
    reopen_on = settings_read_int(SECTION, "reopen ports", 0) == 1;
}

void last_session_keep_as_is()
{
    kept_as_is = true;
}

bool last_session_reopen_on()
{
    return reopen_on;
}

void last_session_toggle()
{
    reopen_on = !reopen_on;
    settings_write_int(SECTION, "reopen ports", reopen_on ? 1 : 0);
    command_state_refresh();
}

void last_session_read(LastSession* out)
{
    std::memset(out, 0, sizeof *out);
    out->count = read_count();
    char key[40], text[COMMAND_LINE_TEXT_SIZE];
    for (int i = 0; i < out->count; ++i) {
        LastSessionEntry& entry = out->entries[i];
        key_of("session port", i + 1, key, sizeof key);
        settings_read_text(SECTION, key, text, sizeof text, "");
        // Kept to be shown in a message: never cut inside a character.
        const int kept = whole_character_prefix(text, static_cast<int>(std::strlen(text)), 40);
        std::memcpy(entry.name, text, static_cast<std::size_t>(kept));
        entry.name[kept] = '\0';
        entry.named = command_line_parse_port(text, &entry.port) == COMMAND_LINE_OK;
        key_of("session listen", i + 1, key, sizeof key);
        settings_read_text(SECTION, key, text, sizeof text, "");
        if (entry.named && entry.port.kind == COMMAND_PORT_NETWORK && entry.port.network_mode == 1 && text[0]) {
            if (command_line_usable_host(text)) {
                std::strcpy(entry.port.host, text);
            } else {
                entry.named = false;
            }
        }
        key_of("session place", i + 1, key, sizeof key);
        settings_read_text(SECTION, key, text, sizeof text, "");
        entry.placed = session_parse_place(text, &entry.place);
    }
    const int active = settings_read_int(SECTION, "session active", 0);
    out->active = active >= 1 && active <= out->count ? active : 0;
}

void last_session_save()
{
    if (kept_as_is || !reopen_on || !app.mdi_client) return;
    // The MDI client's first child is the top of the stack: the session is written
    // from the bottom up, so that opening it in order stacks the windows again.
    std::vector<HWND> windows;
    for (HWND w = GetWindow(app.mdi_client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (port_from_window(w)) windows.insert(windows.begin(), w);
    const int old_count = read_count();
    HWND active = reinterpret_cast<HWND>(SendMessageA(app.mdi_client, WM_MDIGETACTIVE, 0, 0));
    int count = 0, active_index = 0;
    for (HWND window : windows) {
        if (count == COMMAND_LINE_MAX_PORTS) break;
        write_entry(++count, port_from_window(window), window);
        if (window == active) active_index = count;
    }
    for (int n = count + 1; n <= old_count; ++n) remove_entry(n);
    settings_write_int(SECTION, "session ports", count);
    settings_write_int(SECTION, "session active", active_index);
}

void last_session_reopen()
{
    if (kept_as_is || !reopen_on) return;
    std::unique_ptr<LastSession> session(new (std::nothrow) LastSession);
    if (!session) return;
    last_session_read(session.get());
    std::string failed;
    HWND active = nullptr;
    port_kinds_hold_warnings(true);
    for (int i = 0; i < session->count; ++i) {
        const LastSessionEntry& entry = session->entries[i];
        if (!entry.name[0]) continue;
        const CommandLinePort& p = entry.port;
        Port* port = entry.named ? port_kinds_open(PortRequest{p.kind, p.number, p.host, p.tcp_port, p.network_mode,
                                                               -1, -1, -1, -1})
                                 : nullptr;
        HWND window = port ? static_cast<HWND>(port->console.window) : nullptr;
        if (!window) {
            failed += std::string("\n") + entry.name;
            continue;
        }
        if (entry.placed) place_window(window, entry.place);
        if (i + 1 == session->active) active = window;
    }
    port_kinds_hold_warnings(false);
    if (active) SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(active), 0);
    if (!failed.empty())
        MessageBoxA(app.frame_window, ("次のﾎﾟｰﾄはｵｰﾌﾟﾝ出来ません" + failed).c_str(), FAILED_CAPTION,
                    MB_OK | MB_ICONEXCLAMATION);
}
