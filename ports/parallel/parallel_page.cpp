// The parallel settings page's model; see parallel_page.h. The dialog procedure owns
// the ParallelPage and only moves values between it and the controls; the live table
// stays the caller's. Portable; UI thread while the settings sheet is open.
#include "ports/parallel/parallel_page.h"

const char* const parallel_interval_texts[PARALLEL_INTERVAL_COUNT] = {
    "50ms", "100ms", "200ms", "500ms", "1sec", "2sec", "5sec", "10sec", "20sec", "30sec", "60sec"};
const std::int32_t parallel_interval_values[PARALLEL_INTERVAL_COUNT] = {50,   100,   200,   500,   1000, 2000,
                                                                        5000, 10000, 20000, 30000, 60000};

// Before initialisation the selection is -1, and then nothing is shown or edited.
static bool has_selection(const ParallelPage* page)
{
    return page && page->selection >= 0 && page->selection < PARALLEL_PORT_COUNT;
}

static ParallelSettings* shown(ParallelPage* page)
{
    return has_selection(page) ? &page->rows[page->selection].settings : nullptr;
}

void parallel_settings_make_usable(ParallelSettings* s)
{
    if (s && static_cast<std::int32_t>(s->receive_interval) <= 0)
        s->receive_interval = PARALLEL_DEFAULT_SETTINGS.receive_interval;
}

void parallel_page_open(ParallelPage* page, const ParallelPortEntry* live)
{
    if (!page || !live) return;
    for (int i = 0; i < PARALLEL_PORT_COUNT; ++i) {
        page->rows[i] = live[i];
        page->rows[i].changed = 0;
    }
    page->selection = -1;
}

void parallel_page_init_selection(ParallelPage* page)
{
    if (!page) return;
    page->selection = 0;
    for (int i = 0; i < PARALLEL_PORT_COUNT; ++i) {
        if (page->rows[i].available) {
            page->selection = i;
            return;
        }
    }
}

// An interval the list does not carry (75 from the settings file, say) shows "50ms"
// but stays stored, and used, until the user picks another.
void parallel_page_view(const ParallelPage* page, ParallelPageView* view)
{
    if (!view) return;
    *view = ParallelPageView{};
    if (!has_selection(page)) return;
    const ParallelSettings* s = &page->rows[page->selection].settings;
    for (int i = 0; i < PARALLEL_INTERVAL_COUNT; ++i) {
        if (static_cast<std::uint32_t>(parallel_interval_values[i]) == s->receive_interval) {
            view->interval_line = i;
            break;
        }
    }
    view->bidirectional = s->bidirectional ? 1 : 0;
}

void parallel_page_toggle_bidirectional(ParallelPage* page)
{
    if (ParallelSettings* s = shown(page)) s->bidirectional = s->bidirectional ? 0 : 1;
}

void parallel_page_restore_defaults(ParallelPage* page)
{
    if (ParallelSettings* s = shown(page)) *s = PARALLEL_DEFAULT_SETTINGS;
}

void parallel_page_set_interval(ParallelPage* page, std::int32_t milliseconds)
{
    if (ParallelSettings* s = shown(page)) s->receive_interval = static_cast<std::uint32_t>(milliseconds);
}

void parallel_page_select_row(ParallelPage* page, int row)
{
    if (page && row >= 0 && row < PARALLEL_PORT_COUNT) page->selection = row;
}

// Rows that match the live table keep their changed flag: an earlier change not yet
// applied to an open port must still be applied.
bool parallel_page_apply(const ParallelPage* page, ParallelPortEntry* live)
{
    if (!page || !live) return false;
    bool any = false;
    for (int i = 0; i < PARALLEL_PORT_COUNT; ++i) {
        const ParallelPortEntry& row = page->rows[i];
        if (!row.available) continue;
        if (row.settings.receive_interval == live[i].settings.receive_interval &&
            row.settings.bidirectional == live[i].settings.bidirectional)
            continue;
        live[i].settings = row.settings;
        live[i].changed = 1;
        any = true;
    }
    return any;
}
