// The parallel page of the communication-settings sheet (dialog 12, "ﾊﾟﾗﾚﾙﾎﾟｰﾄ"):
// thin routines, run by the shared page procedure (terminal/page_controls_win.cpp),
// over the portable page model (parallel_page.cpp), which holds the working copy and
// decides every edit. UI thread only, while the sheet is open;
// parallel_page is the working copy, made when the sheet asks for the page.
#include <cstdio>

#include "ports/parallel/parallel_port_win.h"
#include "resources/parallel_ids.h"
#include "terminal/pacing_win.h"
#include "terminal/page_controls_win.h"

ParallelPage parallel_page;
static Pacing working_pacing[PARALLEL_PORT_COUNT];  // the pacing beside the rows

static bool row_shown()
{
    return parallel_page.selection >= 0 && parallel_page.selection < PARALLEL_PORT_COUNT;
}

// The delay fields into the row shown, before another is shown or the page applies.
static void take_pacing(HWND page)
{
    if (row_shown()) working_pacing[parallel_page.selection] = pacing_fields_take(page, working_pacing[parallel_page.selection]);
}

static void show_row(HWND page)
{
    combo_select_data(GetDlgItem(page, IDC_PARALLEL_PORT), parallel_page.selection);
    ParallelPageView view;
    parallel_page_view(&parallel_page, &view);
    SendDlgItemMessageA(page, IDC_PARALLEL_INTERVAL, CB_SETCURSEL, static_cast<WPARAM>(view.interval_line), 0);
    CheckDlgButton(page, IDC_PARALLEL_BIDI, view.bidirectional ? BST_CHECKED : BST_UNCHECKED);
    if (row_shown()) pacing_fields_show(page, working_pacing[parallel_page.selection]);
}

static void init_page(HWND page, void*)
{
    parallel_page.selection = -1;
    HWND ports = GetDlgItem(page, IDC_PARALLEL_PORT);
    for (int row = 0; row < PARALLEL_PORT_COUNT; ++row) {
        if (!parallel_page.rows[row].available) continue;
        char text[16];
        std::snprintf(text, sizeof text, "LPT%d", row + 1);
        combo_add(ports, text, row);
    }
    parallel_page_init_selection(&parallel_page);
    combo_fill(GetDlgItem(page, IDC_PARALLEL_INTERVAL), parallel_interval_texts, parallel_interval_values,
               PARALLEL_INTERVAL_COUNT);
    show_row(page);
}

static void page_command(HWND page, void*, int id, int code)
{
    if (id == IDC_PARALLEL_BIDI && code == BN_CLICKED) {
        parallel_page_toggle_bidirectional(&parallel_page);
        show_row(page);
    } else if (id == IDC_PARALLEL_DEFAULTS && code == BN_CLICKED) {
        parallel_page_restore_defaults(&parallel_page);
        if (row_shown()) working_pacing[parallel_page.selection] = Pacing{};
        show_row(page);
    } else if (id == IDC_PARALLEL_PORT && code == CBN_SELCHANGE) {
        take_pacing(page);
        parallel_page_select_row(&parallel_page, combo_selected_data(GetDlgItem(page, id)));
        show_row(page);
    } else if (id == IDC_PARALLEL_INTERVAL && code == CBN_SELCHANGE) {
        parallel_page_set_interval(&parallel_page, combo_selected_data(GetDlgItem(page, id)));
    }
}

static void apply_page(HWND page, void*)
{
    take_pacing(page);
    bool paced = pacing_rows_apply(working_pacing, parallel_pacing, PARALLEL_PORT_COUNT);
    if (parallel_page_apply(&parallel_page, parallel_port_table) || paced) parallel_save_settings();
}

static const PageRoutines PARALLEL_PAGE_ROUTINES = {init_page, page_command, apply_page, nullptr};
static const PageBinding PARALLEL_PAGE_BINDING = {&PARALLEL_PAGE_ROUTINES, nullptr};

HPROPSHEETPAGE parallel_settings_page(HWND)
{
    bool any = false;
    for (const ParallelPortEntry& row : parallel_port_table) any = any || row.available;
    if (!any) return nullptr;
    parallel_page_open(&parallel_page, parallel_port_table);
    for (int row = 0; row < PARALLEL_PORT_COUNT; ++row) working_pacing[row] = parallel_pacing[row];
    return page_create(IDD_PARALLEL_PAGE, &PARALLEL_PAGE_BINDING);
}

void parallel_settings_notify(HWND frame)
{
    for (const ParallelPortEntry& row : parallel_port_table) {
        if (row.available && row.changed) {
            PostMessageA(frame, MSG_PORT_SETTINGS_CHANGED, PORT_PARALLEL, 0);
            return;
        }
    }
}
