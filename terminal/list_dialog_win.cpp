// The list dialogs; see list_dialog_win.h. The dialog owns nothing: the lines are the
// caller's and live until the dialog has ended.
#include "terminal/list_dialog_win.h"

#include "base/app_record_win.h"
#include "resources/resource.h"

struct ListDialog {
    const ListDialogEntry* entries;
    int count;
};

static INT_PTR CALLBACK list_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    if (message == WM_INITDIALOG) {
        const ListDialog* lines = reinterpret_cast<const ListDialog*>(lparam);
        HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < lines->count; ++i) {
            LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines->entries[i].text));
            if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), lines->entries[i].data);
        }
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    int id = LOWORD(wparam);
    if (id == IDOK || (id == IDC_PORT_LIST && HIWORD(wparam) == LBN_DBLCLK)) {
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

LPARAM list_dialog_run(HWND owner, int dialog_id, const ListDialogEntry* entries, int count)
{
    if (!entries || count <= 0) return 0;
    ListDialog lines = {entries, count};
    INT_PTR chosen = DialogBoxParamA(app.instance, MAKEINTRESOURCEA(dialog_id), owner, list_dialog_proc,
                                     reinterpret_cast<LPARAM>(&lines));
    return chosen == -1 ? 0 : chosen;
}

LPARAM list_dialog_choose(HWND owner, int dialog_id, const ListDialogEntry* entries, int count)
{
    if (count == 1) return entries[0].data;
    return count >= 2 ? list_dialog_run(owner, dialog_id, entries, count) : 0;
}
