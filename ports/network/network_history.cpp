// The host history and the number rule; see network_history.h. Portable; the dialog
// procedure owns the NetworkHistory it works on.
#include "ports/network/network_history.h"

#include <cstdint>
#include <cstring>

static void copy_host(char* to, const char* from)
{
    std::strncpy(to, from, NET_HOST_TEXT_SIZE - 1);
    to[NET_HOST_TEXT_SIZE - 1] = '\0';
}

void net_history_clear(NetworkHistory* history)
{
    if (!history) return;
    std::memset(history, 0, sizeof *history);
    history->last_port = NET_DEFAULT_PORT;
}

int net_history_keys(int list_entry)
{
    if (list_entry < 0) return 0;
    return list_entry > NET_HISTORY_SIZE ? NET_HISTORY_SIZE : list_entry;
}

void net_history_add_stored(NetworkHistory* history, const char* value)
{
    if (!history || !value || !*value || history->count >= NET_HISTORY_SIZE) return;
    copy_host(history->hosts[history->count++], value);
}

bool net_history_use(NetworkHistory* history, const char* host)
{
    if (!history || !host || !*host) return false;
    char entry[NET_HOST_TEXT_SIZE];
    copy_host(entry, host);
    int at = history->count;
    for (int i = 0; i < history->count; ++i) {
        if (std::strcmp(history->hosts[i], entry) == 0) {
            at = i;
            break;
        }
    }
    bool added = at == history->count;
    // Each entry above it moves one place towards the end; the one in the last place
    // has none below it and is dropped.
    for (int k = at; k > 0; --k)
        if (k < NET_HISTORY_SIZE) std::memcpy(history->hosts[k], history->hosts[k - 1], NET_HOST_TEXT_SIZE);
    std::memcpy(history->hosts[0], entry, NET_HOST_TEXT_SIZE);
    if (added && history->count < NET_HISTORY_SIZE) ++history->count;
    return true;
}

std::int32_t net_read_number(const char* text, bool* fits)
{
    std::int64_t value = 0;
    bool negative = false;
    if (text) {
        int at = 0;
        if (text[0] == '-') {
            negative = true;
            at = 1;
        }
        // Fourteen characters hold at most thirteen digits: no overflow of 64 bits.
        for (; at < 14 && text[at] >= '0' && text[at] <= '9'; ++at)
            value = value * 10 + (text[at] - '0');
    }
    if (negative) value = -value;
    if (fits) *fits = value >= INT32_MIN && value <= INT32_MAX;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}
