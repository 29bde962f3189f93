// The network settings page's model; see network_page.h. Portable. The dialog
// procedure owns the NetworkPage and only moves text between it and the controls.
#include "ports/network/network_page.h"

#include "ports/network/network_history.h"

void network_settings_make_usable(NetworkSettings* s)
{
    if (!s) return;
    if (s->wait_time <= 0) s->wait_time = NETWORK_DEFAULT_SETTINGS.wait_time;
    if (s->retry_count < 0) s->retry_count = NETWORK_DEFAULT_SETTINGS.retry_count;
}

void network_page_open(NetworkPage* page, const NetworkSettings* current)
{
    if (page && current) page->working = *current;
}

std::int32_t network_page_field(const NetworkPage* page, int control, const char* text)
{
    if (!page) return 0;
    bool wait = control == IDC_NET_WAIT_TIME;
    std::int32_t kept = wait ? page->working.wait_time : page->working.retry_count;
    std::int32_t low = wait ? NET_WAIT_TIME_MIN : NET_RETRY_COUNT_MIN;
    std::int32_t high = wait ? NET_WAIT_TIME_MAX : NET_RETRY_COUNT_MAX;
    // A field without digits (cleared) reads as 0, as every number field does.
    std::int32_t typed = net_read_number(text, nullptr);
    return typed >= low && typed <= high ? typed : kept;
}

NetworkSettings network_page_apply(const NetworkPage* page, bool reconnect_marked, const char* wait_text,
                                   const char* retry_text)
{
    NetworkSettings result = page ? page->working : NETWORK_DEFAULT_SETTINGS;
    result.reconnect = reconnect_marked ? 1 : 0;
    result.wait_time = network_page_field(page, IDC_NET_WAIT_TIME, wait_text);
    result.retry_count = network_page_field(page, IDC_NET_RETRY_COUNT, retry_text);
    return result;
}
