// The model behind the serial settings page: a working copy of the sixteen rows, the
// row shown, what the page's lists show for it, and the edits the page's controls
// make. Portable; the UI thread runs it while the settings sheet is open.
#pragma once
#include <cstdint>

#include "ports/serial/serial_settings.h"
#include "resources/serial_ids.h"

// One list of the page: its lines' texts (Shift-JIS) and item data, in order.
struct SerialPageList {
    int control;
    int count;
    const char* const* texts;
    const std::int32_t* values;
};
// The lists 1002 to 1006, in that order.
extern const SerialPageList serial_page_lists[5];

struct SerialPage {
    SerialPortEntry rows[SERIAL_PORT_COUNT];
    std::int32_t selection;  // row shown, 0-based; -1 before the page is set up
};

// What the page shows for the selected row: the line to select in each of the lists
// 1002 to 1006 (a value without a line shows line 0, but a speed without a line shows
// no line, -1, and its number in the field) and the check box.
struct SerialPageView {
    int lines[5];
    std::int32_t baudrate;
    int parity_check;
    int auto_reopen;
    int dtr, rts;
    int dtr_free, rts_free;  // 0: the flow control drives the line, and the box is grayed
};

// Values read from the settings file: each one the page's lists or check boxes cannot
// show (parity 7, a check of 2) is read as its default, and a flow control of 4 as
// none, so the line runs with what the page shows instead of what a driver makes of
// the value. A speed may be any number the field takes (SERIAL_SPEED_MIN to
// SERIAL_SPEED_MAX); only one outside that is read as the default.
void serial_settings_make_usable(SerialSettings* settings);

// Copies the live rows, clearing changed in the copy; selection -1.
void serial_page_open(SerialPage* page, const SerialPortEntry* live);
// Page initialisation: the first available row becomes the selection (0 when none).
void serial_page_init_selection(SerialPage* page);
void serial_page_view(const SerialPage* page, SerialPageView* view);
// Check box 1007 clicked: toggles parity_check of the shown row.
void serial_page_toggle_parity_check(SerialPage* page);
// Check box "自動再接続": toggles auto_reopen of the shown row.
void serial_page_toggle_auto_reopen(SerialPage* page);
// Check boxes "DTR" and "RTS": toggle the line's state at open of the shown row.
void serial_page_toggle_dtr(SerialPage* page);
void serial_page_toggle_rts(SerialPage* page);
// Button 1008: the shown row back to the defaults.
void serial_page_restore_defaults(SerialPage* page);
// A new selection in list 1002 to 1006 with the item data of its line (0 when the
// list has no selection).
void serial_page_set_field(SerialPage* page, int control, std::int32_t item_data);
// The speed field (1002 takes a typed number too) left with text: a whole number
// within SERIAL_SPEED_MIN to SERIAL_SPEED_MAX becomes the shown row's speed, any other
// text leaves the speed as it was. Returns the speed the field shows from now on.
std::int32_t serial_page_leave_speed(SerialPage* page, const char* text);
// A new selection in list 1001.
void serial_page_select_row(SerialPage* page, int row);
// OK: copies every available row whose settings differ into the live table and marks
// it changed. Returns true when any row changed (the caller then saves).
bool serial_page_apply(const SerialPage* page, SerialPortEntry* live);
