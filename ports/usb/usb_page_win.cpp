// The USB page of the communication-settings sheet (dialog 15, "USBﾎﾟｰﾄ"): thin
// routines, run by the shared page procedure (terminal/page_controls_win.cpp), over
// the portable page model (usb_page.cpp), which holds the working copy and the list's
// lines and decides every edit; they move texts between the model and the controls
// and show the model's messages. UI thread only, while the sheet is open; usb_page
// is made when the sheet asks for the page.
#include "ports/usb/usb_port_win.h"
#include "resources/usb_ids.h"
#include "terminal/pacing_win.h"
#include "terminal/page_controls_win.h"

UsbPage usb_page;

// The edit fields in the order of the entry's texts.
static const int FIELDS[USB_ENTRY_TEXTS] = {IDC_USB_NAME, IDC_USB_GUID, IDC_USB_INPUT_PIPE, IDC_USB_OUTPUT_PIPE};
// The fields are read with a 259-byte buffer: at most 258 bytes each.
constexpr int FIELD_BUFFER = 259;

static void show_fields(HWND page)
{
    const UsbDeviceEntry* shown = usb_page_shown(&usb_page);
    for (int i = 0; i < USB_ENTRY_TEXTS; ++i)
        SetDlgItemTextA(page, FIELDS[i], shown ? usb_entry_text(shown, i) : "");
}

static void read_fields(HWND page, UsbDeviceEntry* fields)
{
    *fields = UsbDeviceEntry{};
    for (int i = 0; i < USB_ENTRY_TEXTS; ++i) {
        char text[FIELD_BUFFER] = {};
        GetDlgItemTextA(page, FIELDS[i], text, sizeof text);
        usb_entry_set_text(fields, i, text);
    }
}

// The list box shows the model's lines; 変更 and 削除 have nothing to act on while
// it is empty, and are grayed then.
static void show_list(HWND page)
{
    HWND list = GetDlgItem(page, IDC_USB_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int line = 0; line < usb_page.line_count; ++line) {
        int slot = usb_page.lines[line];
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(usb_page.slots[slot].name));
        if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), slot);
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(usb_page.selected), 0);
    EnableWindow(GetDlgItem(page, IDC_USB_MODIFY), usb_page.selected >= 0);
    EnableWindow(GetDlgItem(page, IDC_USB_DELETE), usb_page.selected >= 0);
}

static void tell(HWND page, UsbPageMessage message)
{
    if (const char* text = usb_page_message_text(message)) MessageBoxA(page, text, "USB設定", MB_ICONEXCLAMATION);
}

static void init_page(HWND page, void*)
{
    for (int field : FIELDS) SendDlgItemMessageA(page, field, EM_LIMITTEXT, FIELD_BUFFER - 1, 0);
    show_list(page);
    show_fields(page);
    CheckDlgButton(page, IDC_USB_AUTO_REOPEN, usb_page.auto_reopen ? BST_CHECKED : BST_UNCHECKED);
    pacing_fields_show(page, usb_pacing);
}

static void page_command(HWND page, void*, int id, int code)
{
    if (id == IDC_USB_LIST && code == LBN_SELCHANGE) {
        LRESULT line = SendDlgItemMessageA(page, IDC_USB_LIST, LB_GETCURSEL, 0, 0);
        if (line != LB_ERR) usb_page_select(&usb_page, static_cast<int>(line));
        show_fields(page);
        return;
    }
    if (code != BN_CLICKED) return;
    if (id == IDC_USB_AUTO_REOPEN) {
        usb_page.auto_reopen = usb_page.auto_reopen ? 0 : 1;
        CheckDlgButton(page, id, usb_page.auto_reopen ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    UsbDeviceEntry fields;
    if (id == IDC_USB_ADD) {
        read_fields(page, &fields);
        UsbPageMessage result = usb_page_add(&usb_page, &fields);
        tell(page, result);
        if (result == USB_PAGE_DONE) show_list(page);  // the fields already show the new entry
    } else if (id == IDC_USB_MODIFY) {
        read_fields(page, &fields);
        UsbPageMessage result = usb_page_modify(&usb_page, &fields);
        tell(page, result);
        const UsbDeviceEntry* stored = usb_page_shown(&usb_page);
        if (result == USB_PAGE_NAME_NEEDED) SetDlgItemTextA(page, IDC_USB_NAME, stored->name);
        if (result == USB_PAGE_GUID_NEEDED) SetDlgItemTextA(page, IDC_USB_GUID, stored->guid);
        if (result == USB_PAGE_DONE) show_list(page);
    } else if (id == IDC_USB_DELETE) {
        if (usb_page_delete(&usb_page) == USB_PAGE_DONE) {
            show_list(page);
            show_fields(page);
        }
    }
}

static void apply_page(HWND page, void*)
{
    usb_page_apply(&usb_page, usb_device_table);
    usb_auto_reopen = usb_page.auto_reopen;
    usb_pacing = pacing_fields_take(page, usb_pacing);
    usb_save_settings();
    for_each_port(usb_apply_settings);
}

static const PageRoutines USB_PAGE_ROUTINES = {init_page, page_command, apply_page, nullptr};
static const PageBinding USB_PAGE_BINDING = {&USB_PAGE_ROUTINES, nullptr};

HPROPSHEETPAGE usb_settings_page(HWND)
{
    if (!usb_available) return nullptr;
    usb_page_open(&usb_page, usb_device_table);
    usb_page.auto_reopen = usb_auto_reopen;
    return page_create(IDD_USB_PAGE, &USB_PAGE_BINDING);
}
