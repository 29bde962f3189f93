// The serial page of the communication-settings sheet (dialog 11, "ｼﾘｱﾙﾎﾟｰﾄ"): thin
// routines, run by the shared page procedure (terminal/page_controls_win.cpp), over
// the portable page model (serial_page.cpp), which holds the working copy and
// decides every edit. UI thread only, while the sheet is open;
// serial_page is the working copy, made when the sheet asks for the page.
#include <cstdio>
#include <cstring>

#include "ports/serial/serial_port_win.h"
#include "terminal/pacing_win.h"
#include "terminal/page_controls_win.h"

SerialPage serial_page;
static Pacing working_pacing[SERIAL_PORT_COUNT];  // the pacing beside the rows

// The delay fields into the row shown, before another is shown or the page applies.
static void take_pacing(HWND page)
{
    int row = serial_page.selection;
    if (row >= 0 && row < SERIAL_PORT_COUNT) working_pacing[row] = pacing_fields_take(page, working_pacing[row]);
}

// The speed field's text into the row shown (the field is then rewritten with the
// speed it stands for), on leaving it and before the page applies: a number typed
// and confirmed with Enter never left the field.
static void take_speed(HWND page)
{
    char text[32] = {};
    GetDlgItemTextA(page, IDC_SERIAL_BAUD, text, sizeof text);
    std::int32_t rate = serial_page_leave_speed(&serial_page, text);
    char shown[32] = {};
    std::snprintf(shown, sizeof shown, "%ld", static_cast<long>(rate));
    if (std::strcmp(text, shown) != 0) SetDlgItemInt(page, IDC_SERIAL_BAUD, static_cast<UINT>(rate), FALSE);
}

static void show_row(HWND page)
{
    combo_select_data(GetDlgItem(page, IDC_SERIAL_PORT), serial_page.selection);
    SerialPageView view;
    serial_page_view(&serial_page, &view);
    for (int i = 0; i < 5; ++i)
        SendDlgItemMessageA(page, serial_page_lists[i].control, CB_SETCURSEL, static_cast<WPARAM>(view.lines[i]), 0);
    if (view.lines[0] < 0) SetDlgItemInt(page, IDC_SERIAL_BAUD, static_cast<UINT>(view.baudrate), FALSE);
    CheckDlgButton(page, IDC_SERIAL_PARITY_CHECK, view.parity_check ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SERIAL_AUTO_REOPEN, view.auto_reopen ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SERIAL_DTR, view.dtr ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SERIAL_RTS, view.rts ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(page, IDC_SERIAL_DTR), view.dtr_free);
    EnableWindow(GetDlgItem(page, IDC_SERIAL_RTS), view.rts_free);
    if (serial_page.selection >= 0 && serial_page.selection < SERIAL_PORT_COUNT)
        pacing_fields_show(page, working_pacing[serial_page.selection]);
}

static void init_page(HWND page, void*)
{
    serial_page.selection = -1;
    HWND ports = GetDlgItem(page, IDC_SERIAL_PORT);
    for (int row = 0; row < SERIAL_PORT_COUNT; ++row) {
        if (!serial_page.rows[row].available) continue;
        char text[16];
        std::snprintf(text, sizeof text, "COM%d", row + 1);
        combo_add(ports, text, row);
    }
    serial_page_init_selection(&serial_page);
    for (const SerialPageList& list : serial_page_lists)
        combo_fill(GetDlgItem(page, list.control), list.texts, list.values, list.count);
    show_row(page);
}

static void page_command(HWND page, void*, int id, int code)
{
    if (id == IDC_SERIAL_PARITY_CHECK && code == BN_CLICKED) {
        serial_page_toggle_parity_check(&serial_page);
        show_row(page);
    } else if (id == IDC_SERIAL_AUTO_REOPEN && code == BN_CLICKED) {
        serial_page_toggle_auto_reopen(&serial_page);
        show_row(page);
    } else if (id == IDC_SERIAL_DTR && code == BN_CLICKED) {
        serial_page_toggle_dtr(&serial_page);
        show_row(page);
    } else if (id == IDC_SERIAL_RTS && code == BN_CLICKED) {
        serial_page_toggle_rts(&serial_page);
        show_row(page);
    } else if (id == IDC_SERIAL_DEFAULTS && code == BN_CLICKED) {
        serial_page_restore_defaults(&serial_page);
        if (serial_page.selection >= 0 && serial_page.selection < SERIAL_PORT_COUNT)
            working_pacing[serial_page.selection] = Pacing{};
        show_row(page);
    } else if (id == IDC_SERIAL_PORT && code == CBN_SELCHANGE) {
        take_pacing(page);
        serial_page_select_row(&serial_page, combo_selected_data(GetDlgItem(page, id)));
        show_row(page);
    } else if (id == IDC_SERIAL_BAUD && code == CBN_KILLFOCUS) {
        take_speed(page);
    } else if (id >= IDC_SERIAL_BAUD && id <= IDC_SERIAL_FLOW && code == CBN_SELCHANGE) {
        serial_page_set_field(&serial_page, id, combo_selected_data(GetDlgItem(page, id)));
        if (id == IDC_SERIAL_FLOW) show_row(page);  // the line boxes it grays
    }
}

static void apply_page(HWND page, void*)
{
    take_pacing(page);
    take_speed(page);
    bool paced = pacing_rows_apply(working_pacing, serial_pacing, SERIAL_PORT_COUNT);
    if (serial_page_apply(&serial_page, serial_port_table) || paced) serial_save_settings();
}

static const PageRoutines SERIAL_PAGE_ROUTINES = {init_page, page_command, apply_page, nullptr};
static const PageBinding SERIAL_PAGE_BINDING = {&SERIAL_PAGE_ROUTINES, nullptr};

HPROPSHEETPAGE serial_settings_page(HWND)
{
    if (!serial_find_any_port()) return nullptr;
    serial_page_open(&serial_page, serial_port_table);
    for (int row = 0; row < SERIAL_PORT_COUNT; ++row) working_pacing[row] = serial_pacing[row];
    return page_create(IDD_SERIAL_PAGE, &SERIAL_PAGE_BINDING);
}

void serial_settings_notify(HWND frame)
{
    for (const SerialPortEntry& row : serial_port_table) {
        if (row.available && row.changed) {
            PostMessageA(frame, MSG_PORT_SETTINGS_CHANGED, PORT_SERIAL, 0);
            return;
        }
    }
}
