// The disconnect dialog: a list of the open ports, the chosen one is closed. UI
// thread only; the dialog owns nothing but its list entries, whose item data point
// at ports that stay open while it runs (closing happens only after it ends).
#include "terminal/disconnect_dialog_win.h"

#include "app/frame_win.h"
#include "resources/resource.h"
#include "terminal/port_win.h"

BOOL list_dialog_command(HWND dialog, WPARAM wparam)
{
    int id = LOWORD(wparam);
    int code = HIWORD(wparam);
    if (id == IDOK || (id == IDC_PORT_LIST && code == LBN_DBLCLK)) {
        HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
        LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
        LRESULT data = selected == LB_ERR ? 0 : SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
        EndDialog(dialog, data == LB_ERR ? 0 : data);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void list_dialog_add(HWND list, const char* text, LPARAM data)
{
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : ""));
    if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

// The list being filled while for_each_port runs; UI thread, dialog initialisation
// only.
static HWND filling_list;

static void add_port_entry(Port* port)
{
    list_dialog_add(filling_list, port->long_name ? port->long_name(port) : "", reinterpret_cast<LPARAM>(port));
}

static INT_PTR CALLBACK disconnect_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) noexcept
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        filling_list = list;
        for_each_port(add_port_entry);
        filling_list = nullptr;
        if (SendMessageA(list, LB_GETCOUNT, 0, 0) <= 0) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    }
    case WM_COMMAND:
        return list_dialog_command(dialog, wparam);
    }
    return FALSE;
}

Port* disconnect_dialog(HWND owner)
{
    INT_PTR chosen = DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_DISCONNECT), owner,
                                     disconnect_dialog_proc, 0);
    return chosen == -1 ? nullptr : reinterpret_cast<Port*>(chosen);
}

void disconnect_command(HWND owner)
{
    Port* port = disconnect_dialog(owner);
    if (port) close_port(port);
}
