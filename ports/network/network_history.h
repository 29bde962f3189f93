// The remembered hosts of the network connect dialog, most recent first, with the last
// port and protocol; and the rule by which the dialog and the settings page read a
// number from a field. Portable: the Win32 side reads and writes the settings file
// ("network history") and hands the values over. UI thread only.
#pragma once
#include <cstdint>

constexpr int NET_HISTORY_SIZE = 10;
constexpr int NET_HOST_TEXT_SIZE = 257;   // a stored host: up to 256 characters
constexpr int NET_HOST_FIELD_SIZE = 256;  // the dialog's host text: up to 255 characters
constexpr std::int32_t NET_DEFAULT_PORT = 10000;

struct NetworkHistory {
    char hosts[NET_HISTORY_SIZE][NET_HOST_TEXT_SIZE];
    std::int32_t count;
    std::int32_t last_port;
    std::int32_t last_protocol;  // NetworkMode
};

// No hosts, port 10000, client: what an empty settings file gives.
void net_history_clear(NetworkHistory* history);
// How many "host list %d" keys a stored "list entry" asks to read: at most 10.
int net_history_keys(int list_entry);
// Loading: a stored value joins the end of the list; an empty one is skipped, so the
// rest close up (and are numbered from 1 when saved again).
void net_history_add_stored(NetworkHistory* history, const char* value);
// OK in the connect dialog: the host (exact, case-sensitive comparison) moves to the
// front; a new one goes to the front and, with ten stored, the tenth is dropped.
// An empty host is not remembered (it would push out a real one and be skipped when
// loaded again); returns false then.
bool net_history_use(NetworkHistory* history, const char* host);

// A number typed into a field: at most 14 characters are read, an optional leading
// minus sign, then the digits up to the first other character; no digits gives 0.
// Numbers beyond 32 bits stop at the nearest 32-bit value, so that no typed port can
// wrap around into a valid one, and *fits is false for them.
std::int32_t net_read_number(const char* text, bool* fits);
