// The model behind the network settings page: the working copy of the three settings
// taken when the page is made, the rule for its two number fields, and what apply
// hands back. Portable; the UI thread runs it while the settings sheet is open.
#pragma once
#include <cstdint>

#include "ports/network/network_settings.h"
#include "resources/network_ids.h"

struct NetworkPage {
    NetworkSettings working;
};

// Values read from the settings file: a wait time of 0 or less, which would retry
// without a pause, and a negative retry count are read as their defaults. Larger
// values than the page offers are kept (the engine counts them in 64 bits and its
// wait ends at once when the port closes); the page shows them as they are.
void network_settings_make_usable(NetworkSettings* settings);

void network_page_open(NetworkPage* page, const NetworkSettings* current);
// The value number field `control` (IDC_NET_WAIT_TIME or IDC_NET_RETRY_COUNT) keeps
// when it loses the focus or the page applies: the number typed when it lies in the
// field's range, otherwise the working copy's value. A text without digits (a cleared
// field) is the number 0: a retry count of 0, the kept value for the wait time.
std::int32_t network_page_field(const NetworkPage* page, int control, const char* text);
// OK: the settings the page's controls hold.
NetworkSettings network_page_apply(const NetworkPage* page, bool reconnect_marked, const char* wait_text,
                                   const char* retry_text);
