// The network page of the communication-settings sheet (dialog 14, "ﾈｯﾄﾜｰｸ"): reconnect,
// the wait time and the retry count, each number field with an up-down control. A thin
// dialog procedure over the portable page model (network_page.cpp), which holds the
// working copy and decides what a field keeps. UI thread only, while the sheet is
// open; network_page is the working copy, made when the sheet asks for the page.
#include <windows.h>
#include <commctrl.h>

#include "ports/network/network_port_win.h"
#include "terminal/pacing_win.h"
#include "terminal/page_controls_win.h"

static NetworkPage network_page;

static void set_spin(HWND page, int spin, std::int32_t low, std::int32_t high, std::int32_t value)
{
    HWND control = GetDlgItem(page, spin);
    SendMessageA(control, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
    SendMessageA(control, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}

static void init_page(HWND page, void*)
{
    const NetworkSettings& s = network_page.working;
    CheckDlgButton(page, IDC_NET_RECONNECT, s.reconnect ? BST_CHECKED : BST_UNCHECKED);
    set_spin(page, IDC_NET_WAIT_TIME_SPIN, NET_WAIT_TIME_MIN, NET_WAIT_TIME_MAX, s.wait_time);
    set_spin(page, IDC_NET_RETRY_COUNT_SPIN, NET_RETRY_COUNT_MIN, NET_RETRY_COUNT_MAX, s.retry_count);
    // The up-down controls write their buddies only for a value inside their range;
    // the fields show the settings as they are.
    SetDlgItemInt(page, IDC_NET_WAIT_TIME, static_cast<UINT>(s.wait_time), TRUE);
    SetDlgItemInt(page, IDC_NET_RETRY_COUNT, static_cast<UINT>(s.retry_count), TRUE);
    pacing_fields_show(page, network_pacing);
}

static void field_text(HWND page, int control, char* text, int size)
{
    text[0] = '\0';
    GetDlgItemTextA(page, control, text, size);
}

// A number field lost the focus: it keeps its number when in range, else the working
// copy's, written back as plain decimal.
static void field_left(HWND page, int control)
{
    char text[32];
    field_text(page, control, text, sizeof text);
    SetDlgItemInt(page, control, static_cast<UINT>(network_page_field(&network_page, control, text)), TRUE);
}

static void apply(HWND page, void*)
{
    char wait[32], retry[32];
    field_text(page, IDC_NET_WAIT_TIME, wait, sizeof wait);
    field_text(page, IDC_NET_RETRY_COUNT, retry, sizeof retry);
    *network_settings() =
        network_page_apply(&network_page, IsDlgButtonChecked(page, IDC_NET_RECONNECT) == BST_CHECKED, wait, retry);
    network_pacing = pacing_fields_take(page, network_pacing);
    network_save_settings();
}

static void page_command(HWND page, void*, int id, int code)
{
    if ((id == IDC_NET_WAIT_TIME || id == IDC_NET_RETRY_COUNT) && code == EN_KILLFOCUS) field_left(page, id);
}

static const PageRoutines NETWORK_PAGE_ROUTINES = {init_page, page_command, apply, nullptr};
static const PageBinding NETWORK_PAGE_BINDING = {&NETWORK_PAGE_ROUTINES, nullptr};

HPROPSHEETPAGE network_settings_page(HWND)
{
    if (!net_available()) return nullptr;
    network_page_open(&network_page, network_settings());
    return page_create(IDD_NETWORK_PAGE, &NETWORK_PAGE_BINDING);
}
