// The model behind the parallel settings page: a working copy of the sixteen rows,
// the row shown, what the page shows for it, and the edits its controls make.
// Portable; the UI thread runs it while the settings sheet is open.
#pragma once
#include <cstdint>

#include "ports/parallel/parallel_settings.h"

// The interval list of the page: its lines' texts and their values in milliseconds.
constexpr int PARALLEL_INTERVAL_COUNT = 11;
extern const char* const parallel_interval_texts[PARALLEL_INTERVAL_COUNT];
extern const std::int32_t parallel_interval_values[PARALLEL_INTERVAL_COUNT];

struct ParallelPage {
    ParallelPortEntry rows[PARALLEL_PORT_COUNT];
    std::int32_t selection;  // row shown, 0-based; -1 before the page is set up
};

// What the page shows for the selected row: the interval line (line 0 for a value
// the list does not carry) and the check box.
struct ParallelPageView {
    int interval_line;
    int bidirectional;
};

// Values read from the settings file: an interval of 0 or less is read as the default.
// A stored -1 would otherwise be an interval of 49 days (no reads while the port
// shows as connected). Any other interval is kept and used, also one the list does
// not carry (the page shows it as "50ms" and keeps it until another is chosen); the
// engine counts one below 50 ms as 50.
void parallel_settings_make_usable(ParallelSettings* settings);

// Copies the live rows, clearing changed in the copy; selection -1.
void parallel_page_open(ParallelPage* page, const ParallelPortEntry* live);
// Page initialisation: the first available row becomes the selection (0 when none).
void parallel_page_init_selection(ParallelPage* page);
void parallel_page_view(const ParallelPage* page, ParallelPageView* view);
// Check box 1011 clicked: toggles bidirectional of the shown row.
void parallel_page_toggle_bidirectional(ParallelPage* page);
// Button 1008: the shown row back to the defaults.
void parallel_page_restore_defaults(ParallelPage* page);
// A new line in the interval list, with its item data.
void parallel_page_set_interval(ParallelPage* page, std::int32_t milliseconds);
// A new line in the port list: the row it stands for.
void parallel_page_select_row(ParallelPage* page, int row);
// OK: copies every available row whose settings differ into the live table and marks
// it changed. Returns true when any row changed (the caller then saves).
bool parallel_page_apply(const ParallelPage* page, ParallelPortEntry* live);
