// Command 103 "接続 - ﾈｯﾄﾜｰｸ(&N)": dialog 8 with the remembered hosts, the port and
// the protocol; on OK the history is saved and the port opened. A thin dialog
// procedure over the portable history (network_history.cpp). UI thread only; the
// history and the choice live on the command's stack while the dialog runs.
#include <cstring>

#include "base/app_record_win.h"
#include "ports/network/network_port_win.h"
#include "resources/network_ids.h"
#include "terminal/page_controls_win.h"

namespace {

struct ConnectDialog {
    NetworkHistory history;
    char host[NET_HOST_FIELD_SIZE];
    std::int32_t port;
    std::int32_t mode;
};

const char* const PROTOCOL_TEXTS[] = {"[TCP/IP] TCP (Client)", "[TCP/IP] TCP (Server)"};
const std::int32_t PROTOCOL_VALUES[] = {NET_MODE_CLIENT, NET_MODE_SERVER};

void init_dialog(HWND dialog, const NetworkHistory* history)
{
    HWND hosts = GetDlgItem(dialog, IDC_NET_HOST);
    SendMessageA(hosts, CB_LIMITTEXT, NET_HOST_FIELD_SIZE - 1, 0);
    for (int i = 0; i < history->count; ++i) combo_add(hosts, history->hosts[i], 0);
    if (history->count > 0) SendMessageA(hosts, CB_SETCURSEL, 0, 0);
    SetDlgItemInt(dialog, IDC_NET_PORT, static_cast<UINT>(history->last_port), TRUE);
    HWND protocols = GetDlgItem(dialog, IDC_NET_PROTOCOL);
    combo_fill(protocols, PROTOCOL_TEXTS, PROTOCOL_VALUES, 2);
    // A stored protocol that is neither line leaves the list without a selection.
    int line = history->last_protocol == 0 || history->last_protocol == 1 ? history->last_protocol : -1;
    SendMessageA(protocols, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

// A port beyond 32 bits cannot even be shown as a number: the field is refused with
// the message an open that fails gives, showing the port as typed, and the dialog
// stays for a better one. Nothing is remembered.
bool port_typed_fits(HWND dialog, std::int32_t* port)
{
    char typed[64] = {};
    GetDlgItemTextA(dialog, IDC_NET_PORT, typed, sizeof typed);
    bool fits = true;
    *port = net_read_number(typed, &fits);  // the rule reads at most 14 characters
    if (fits) return true;
    char host[NET_HOST_FIELD_SIZE] = {};
    GetDlgItemTextA(dialog, IDC_NET_HOST, host, sizeof host);
    network_tell_not_opened(dialog, host, typed);
    HWND field = GetDlgItem(dialog, IDC_NET_PORT);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    return false;
}

void take_choice(HWND dialog, ConnectDialog* connect, std::int32_t port)
{
    connect->port = port;
    GetDlgItemTextA(dialog, IDC_NET_HOST, connect->host, sizeof connect->host);
    connect->mode = combo_selected_data(GetDlgItem(dialog, IDC_NET_PROTOCOL));
    net_history_use(&connect->history, connect->host);
    connect->history.last_port = connect->port;
    connect->history.last_protocol = connect->mode;
}

INT_PTR CALLBACK connect_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        init_dialog(dialog, &reinterpret_cast<ConnectDialog*>(lparam)->history);
        return TRUE;
    case WM_COMMAND: {
        auto* connect = reinterpret_cast<ConnectDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
        std::int32_t port = 0;
        if (LOWORD(wparam) == IDOK && connect) {
            if (!port_typed_fits(dialog, &port)) return TRUE;
            take_choice(dialog, connect, port);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

}  // namespace

void network_connect(HWND frame)
{
    if (!net_available()) return;
    ConnectDialog connect = {};
    network_load_history(&connect.history);
    if (DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_NETWORK_CONNECT), frame, connect_proc,
                        reinterpret_cast<LPARAM>(&connect)) != 1)
        return;
    network_save_history(&connect.history);
    NetworkTarget target = {connect.host, connect.port, connect.mode};
    create_port(PORT_NETWORK, &target);
}
