// The serial settings page's model: the working copy of the sixteen rows, the lists
// the page offers, and what its controls do to the shown row. Portable; the UI thread
// runs it while the settings sheet is open. The dialog procedure owns the SerialPage
// and only moves values between it and the controls; the live table stays the caller's.
#include "ports/serial/serial_page.h"

#include "ports/serial/serial_dcb.h"
#include "terminal/display_page.h"


static const char* const baud_texts[] = {"300",   "600",   "1200",  "2400",  "4800",  "9600",
                                  "19200", "38400", "57600", "76800", "115200"};
static const std::int32_t baud_values[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200};
static const char* const data_texts[] = {"5", "6", "7", "8"};
static const std::int32_t data_values[] = {5, 6, 7, 8};
// The Japanese texts are written as Shift-JIS bytes so that a build without
// -fexec-charset=CP932 (the native tests) holds the same bytes as the program.
static const char* const parity_texts[] = {
    "\x82\xc8\x82\xb5",     // なし
    "\x8a\xef\x90\x94",     // 奇数
    "\x8b\xf4\x90\x94",     // 偶数
    "\xcf\xb0\xb8",         // ﾏｰｸ
    "\xbd\xcd\xdf\xb0\xbd", // ｽﾍﾟｰｽ
};
static const std::int32_t parity_values[] = {0, 1, 2, 3, 4};
static const char* const stop_texts[] = {"1", "1.5", "2"};
static const std::int32_t stop_values[] = {0, 1, 2};
static const char* const flow_texts[] = {"\x82\xc8\x82\xb5" /* なし */, "XON/XOFF", "DSR", "CTS"};
static const std::int32_t flow_values[] = {0, 1, 2, 3};

// The field each list edits, in the order of serial_page_lists.
static std::int32_t SerialSettings::*const list_fields[5] = {
    &SerialSettings::baudrate,  &SerialSettings::data_bits,    &SerialSettings::parity,
    &SerialSettings::stop_bits, &SerialSettings::flow_control,
};

// Before initialisation the selection is -1, and then nothing is shown or edited.
static bool has_selection(const SerialPage* page)
{
    return page && page->selection >= 0 && page->selection < SERIAL_PORT_COUNT;
}

static SerialSettings* shown(SerialPage* page)
{
    return has_selection(page) ? &page->rows[page->selection].settings : nullptr;
}

const SerialPageList serial_page_lists[5] = {
    {IDC_SERIAL_BAUD, 11, baud_texts, baud_values},      {IDC_SERIAL_DATA_BITS, 4, data_texts, data_values},
    {IDC_SERIAL_PARITY, 5, parity_texts, parity_values}, {IDC_SERIAL_STOP_BITS, 3, stop_texts, stop_values},
    {IDC_SERIAL_FLOW, 4, flow_texts, flow_values},
};

static bool listed(const SerialPageList& list, std::int32_t value)
{
    for (int i = 0; i < list.count; ++i)
        if (list.values[i] == value) return true;
    return false;
}

// What an unlisted value is read as: the default, but for the flow control, which is
// none, as the engine takes a mode it does not know. Read as the default XON/XOFF,
// it would swallow every 0x11 and 0x13 of binary data.
static constexpr SerialSettings UNLISTED_READ_AS = [] {
    SerialSettings s = SERIAL_DEFAULT_SETTINGS;
    s.flow_control = 0;
    return s;
}();

static bool usable_speed(std::int32_t rate)
{
    return rate >= SERIAL_SPEED_MIN && rate <= SERIAL_SPEED_MAX;
}

// A speed the list lacks is kept: it was typed on the page (or written by hand) and
// the driver decides whether the line can run at it.
void serial_settings_make_usable(SerialSettings* s)
{
    if (!s) return;
    if (!usable_speed(s->baudrate)) s->baudrate = UNLISTED_READ_AS.baudrate;
    for (int i = 1; i < 5; ++i)
        if (!listed(serial_page_lists[i], s->*list_fields[i]))
            s->*list_fields[i] = UNLISTED_READ_AS.*list_fields[i];
    if (s->parity_check != 0 && s->parity_check != 1) s->parity_check = UNLISTED_READ_AS.parity_check;
    if (s->auto_reopen != 0 && s->auto_reopen != 1) s->auto_reopen = UNLISTED_READ_AS.auto_reopen;
    if (s->dtr != 0 && s->dtr != 1) s->dtr = UNLISTED_READ_AS.dtr;
    if (s->rts != 0 && s->rts != 1) s->rts = UNLISTED_READ_AS.rts;
}

void serial_page_open(SerialPage* page, const SerialPortEntry* live)
{
    if (!page || !live) return;
    for (int i = 0; i < SERIAL_PORT_COUNT; ++i) {
        page->rows[i] = live[i];
        page->rows[i].changed = 0;
    }
    page->selection = -1;
}

void serial_page_init_selection(SerialPage* page)
{
    if (!page) return;
    page->selection = 0;
    for (int i = 0; i < SERIAL_PORT_COUNT; ++i) {
        if (page->rows[i].available) {
            page->selection = i;
            return;
        }
    }
}

// A value no list line carries shows the first line but stays stored until the user
// picks another (the settings file cannot bring one: see serial_settings_make_usable).
void serial_page_view(const SerialPage* page, SerialPageView* view)
{
    if (!view) return;
    *view = SerialPageView{};
    if (!has_selection(page)) return;
    const SerialSettings* s = &page->rows[page->selection].settings;
    // A typed speed has no line: the field shows its number.
    view->lines[0] = -1;
    view->baudrate = s->baudrate;
    for (int l = 0; l < 5; ++l) {
        const SerialPageList& list = serial_page_lists[l];
        for (int i = 0; i < list.count; ++i) {
            if (list.values[i] == s->*list_fields[l]) {
                view->lines[l] = i;
                break;
            }
        }
    }
    // The box shows what the line gets: the engine uses only the low bit.
    view->parity_check = s->parity_check & 1;
    view->auto_reopen = s->auto_reopen != 0;
    view->dtr = s->dtr != 0;
    view->rts = s->rts != 0;
    // A line the flow control drives is the driver's: its box is grayed.
    view->dtr_free = !serial_flow_drives_dtr(s->flow_control);
    view->rts_free = !serial_flow_drives_rts(s->flow_control);
}

void serial_page_toggle_parity_check(SerialPage* page)
{
    if (SerialSettings* s = shown(page)) s->parity_check = (s->parity_check & 1) ? 0 : 1;
}

void serial_page_toggle_auto_reopen(SerialPage* page)
{
    if (SerialSettings* s = shown(page)) s->auto_reopen = s->auto_reopen ? 0 : 1;
}

void serial_page_toggle_dtr(SerialPage* page)
{
    if (SerialSettings* s = shown(page)) s->dtr = s->dtr ? 0 : 1;
}

void serial_page_toggle_rts(SerialPage* page)
{
    if (SerialSettings* s = shown(page)) s->rts = s->rts ? 0 : 1;
}

void serial_page_restore_defaults(SerialPage* page)
{
    if (SerialSettings* s = shown(page)) *s = SERIAL_DEFAULT_SETTINGS;
}

void serial_page_set_field(SerialPage* page, int control, std::int32_t item_data)
{
    SerialSettings* s = shown(page);
    if (!s) return;
    for (int l = 0; l < 5; ++l) {
        if (serial_page_lists[l].control == control) {
            s->*list_fields[l] = item_data;
            return;
        }
    }
}

std::int32_t serial_page_leave_speed(SerialPage* page, const char* text)
{
    SerialSettings* s = shown(page);
    if (!s) return 0;
    std::int32_t rate = display_page_number(text, s->baudrate, SERIAL_SPEED_MIN, SERIAL_SPEED_MAX);
    // What was there before may be out of range only before the page is first left.
    if (usable_speed(rate)) s->baudrate = rate;
    return s->baudrate;
}

void serial_page_select_row(SerialPage* page, int row)
{
    if (page && row >= 0 && row < SERIAL_PORT_COUNT) page->selection = row;
}

// Rows that match the live table keep their changed flag: an earlier change not yet
// applied to an open port must still be applied.
bool serial_page_apply(const SerialPage* page, SerialPortEntry* live)
{
    if (!page || !live) return false;
    bool any = false;
    for (int i = 0; i < SERIAL_PORT_COUNT; ++i) {
        const SerialPortEntry& row = page->rows[i];
        if (!row.available || serial_settings_equal(row.settings, live[i].settings)) continue;
        live[i].settings = row.settings;
        live[i].changed = 1;
        any = true;
    }
    return any;
}
