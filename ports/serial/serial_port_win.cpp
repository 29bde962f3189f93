// The serial kind; see serial_port_win.h. serial_port_table is the live table the
// ports open with and the settings file holds; serial_page is the page's copy.
#include "ports/serial/serial_port_win.h"

#include <cstdio>
#include <cstdlib>

#include "app/frame_win.h"
#include "app/os_check.h"
#include "app/settings.h"
#include "resources/resource.h"
#include "terminal/disconnect_dialog_win.h"

SerialPortEntry serial_port_table[SERIAL_PORT_COUNT];
SerialPage serial_page;

static void section_name(int number, char* out, size_t size)
{
    std::snprintf(out, size, "com%d", number);
}

static bool query_dos_device(int number)
{
    char name[16], target[256];
    std::snprintf(name, sizeof name, "COM%d", number);
    return QueryDosDeviceA(name, target, sizeof target) != 0;
}

bool (*serial_device_present)(int number) = query_dos_device;

int serial_enumerate_ports(int os_family)
{
    for (SerialPortEntry& row : serial_port_table) row = SerialPortEntry{};
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) {
        if (os_family == OS_FAMILY_NT) {
            if (serial_device_present(n)) serial_port_table[n - 1].available = 1;
        } else if (n <= 4) {
            serial_port_table[n - 1].available = 1;
        }
    }
    serial_load_settings();
    return 1;
}

void serial_load_settings()
{
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) {
        SerialPortEntry& row = serial_port_table[n - 1];
        char section[16];
        section_name(n, section, sizeof section);
        if (!row.available) row.available = settings_read_int(section, "valid", 0);
        if (row.available) {
            const SerialSettings& d = SERIAL_DEFAULT_SETTINGS;
            row.settings.baudrate = settings_read_int(section, "baudrate", d.baudrate);
            row.settings.data_bits = settings_read_int(section, "data bits", d.data_bits);
            row.settings.parity = settings_read_int(section, "parity bits", d.parity);
            row.settings.stop_bits = settings_read_int(section, "stop bits", d.stop_bits);
            row.settings.flow_control = settings_read_int(section, "flow control", d.flow_control);
            row.settings.parity_check = settings_read_int(section, "parity check", d.parity_check);
        }
        row.changed = 0;
    }
}

void serial_save_settings()
{
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) {
        const SerialPortEntry& row = serial_port_table[n - 1];
        if (!row.available) continue;
        char section[16];
        section_name(n, section, sizeof section);
        settings_write_int(section, "baudrate", row.settings.baudrate);
        settings_write_int(section, "data bits", row.settings.data_bits);
        settings_write_int(section, "parity bits", row.settings.parity);
        settings_write_int(section, "stop bits", row.settings.stop_bits);
        settings_write_int(section, "flow control", row.settings.flow_control);
        settings_write_int(section, "parity check", row.settings.parity_check);
    }
}

SerialPortEntry* serial_find_port(int number)
{
    if (number < 1 || number > SERIAL_PORT_COUNT || !serial_port_table[number - 1].available) return nullptr;
    return &serial_port_table[number - 1];
}

bool serial_find_any_port()
{
    for (const SerialPortEntry& row : serial_port_table)
        if (row.available) return true;
    return false;
}

static INT_PTR CALLBACK connect_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) noexcept
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) {
            if (!serial_port_table[n - 1].available) continue;
            char text[64];
            std::snprintf(text, sizeof text, "ｼﾘｱﾙﾎﾟｰﾄ (COM%d)", n);
            list_dialog_add(list, text, n);
        }
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    }
    case WM_COMMAND:
        return list_dialog_command(dialog, wparam);
    }
    return FALSE;
}

Port* serial_connect(HWND frame)
{
    int count = 0, highest = 0;
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) {
        if (!serial_port_table[n - 1].available) continue;
        ++count;
        highest = n;
    }
    int number = 0;
    if (count >= 2) {
        INT_PTR chosen = DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SERIAL_CONNECT), frame, connect_dialog_proc, 0);
        number = chosen > 0 ? static_cast<int>(chosen) : 0;
    } else if (count == 1) {
        number = highest;
    }
    return number > 0 ? create_port(PORT_SERIAL, &number) : nullptr;
}

static std::int32_t serial_write_slot(Port* port, const unsigned char* data, std::int32_t length)
{
    if (!port || !data || length <= 0) return 0;
    return serial_engine_write(&reinterpret_cast<SerialPort*>(port)->engine, data, length);
}

static void serial_close_slot(Port* port)
{
    if (!port) return;
    serial_engine_stop(&reinterpret_cast<SerialPort*>(port)->engine);
    std::free(port);
}

void serial_wake_engine(Port* port)
{
    if (port) serial_engine_purge(&reinterpret_cast<SerialPort*>(port)->engine);
}

const char* serial_long_name(Port* port)
{
    if (!port) return "";
    std::snprintf(port->long_name_text, sizeof port->long_name_text, "ｼﾘｱﾙﾎﾟｰﾄ (COM%d)",
                  reinterpret_cast<SerialPort*>(port)->com_number);
    return port->long_name_text;
}

const char* serial_short_name(Port* port)
{
    if (!port) return "";
    std::snprintf(port->short_name_text, sizeof port->short_name_text, "COM%d",
                  reinterpret_cast<SerialPort*>(port)->com_number);
    return port->short_name_text;
}

void serial_apply_settings(Port* port)
{
    if (!port) return;
    SerialPort* serial = reinterpret_cast<SerialPort*>(port);
    SerialPortEntry* row = serial_find_port(serial->com_number);
    if (!row || !row->changed) return;
    row->changed = 0;
    serial_engine_configure(&serial->engine, &row->settings);
}

// The serial kind's status routine: a device that went away leaves the port not
// connected ("通信不可"); the window stays until the user closes it.
static void serial_port_status(void* owner)
{
    Port* port = static_cast<Port*>(owner);
    if (!port_callback_enter(port)) return;
    port->connection_state = reinterpret_cast<SerialPort*>(port)->engine.device_lost ? 0 : 1;
    port_callback_leave(port);
    show_connection_status(port);
}

static Port* open_serial_port(int number)
{
    SerialPortEntry* row = serial_find_port(number);
    if (!row) return nullptr;
    SerialPort* serial = static_cast<SerialPort*>(std::calloc(1, sizeof(SerialPort)));
    if (!serial) return nullptr;
    Port* port = &serial->port;
    serial->com_number = number;
    port->close = serial_close_slot;
    port->write = serial_write_slot;
    port->long_name = serial_long_name;
    port->short_name = serial_short_name;
    port->apply_settings = serial_apply_settings;
    port->kind = PORT_SERIAL;
    port->connection_state = 1;
    SerialOpenParams params;
    params.settings = row->settings;
    port_engine_callbacks(port, &params.callbacks);
    params.callbacks.on_status = serial_port_status;
    if (serial_engine_open(number, &serial->engine, &params) != 0) {
        std::free(serial);
        return nullptr;
    }
    return port;
}

Port* serial_port_create(HWND frame, const void* argument)
{
    int number = argument ? *static_cast<const int*>(argument) : 0;
    Port* port = open_serial_port(number);
    if (port) return port;
    char text[64];
    std::snprintf(text, sizeof text, "COM%d はｵｰﾌﾟﾝ出来ません", number);
    MessageBoxA(frame, text, "ｼﾘｱﾙﾎﾟｰﾄ･ｵｰﾌﾟﾝ", MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
}

// The settings page.

static void show_row(HWND page)
{
    HWND ports = GetDlgItem(page, SERIAL_PAGE_PORT);
    int count = static_cast<int>(SendMessageA(ports, CB_GETCOUNT, 0, 0));
    int line = -1;
    for (int i = 0; i < count; ++i)
        if (SendMessageA(ports, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == serial_page.selection) line = i;
    SendMessageA(ports, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SerialPageView view;
    serial_page_view(&serial_page, &view);
    for (int i = 0; i < 5; ++i)
        SendDlgItemMessageA(page, serial_page_lists[i].control, CB_SETCURSEL, static_cast<WPARAM>(view.lines[i]), 0);
    CheckDlgButton(page, SERIAL_PAGE_PARITY_CHECK, view.parity_check ? BST_CHECKED : BST_UNCHECKED);
}

static void init_page(HWND page)
{
    serial_page.selection = -1;
    HWND ports = GetDlgItem(page, SERIAL_PAGE_PORT);
    for (int row = 0; row < SERIAL_PORT_COUNT; ++row) {
        if (!serial_page.rows[row].available) continue;
        char text[16];
        std::snprintf(text, sizeof text, "COM%d", row + 1);
        LRESULT index = SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (index >= 0) SendMessageA(ports, CB_SETITEMDATA, static_cast<WPARAM>(index), row);
    }
    serial_page_init_selection(&serial_page);
    for (const SerialPageList& list : serial_page_lists) {
        HWND box = GetDlgItem(page, list.control);
        for (int i = 0; i < list.count; ++i) {
            LRESULT index = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.texts[i]));
            if (index >= 0) SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(index), list.values[i]);
        }
    }
    show_row(page);
}

static std::int32_t selected_data(HWND page, int control)
{
    HWND box = GetDlgItem(page, control);
    LRESULT line = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (line == CB_ERR) return 0;
    LRESULT data = SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    return data == CB_ERR ? 0 : static_cast<std::int32_t>(data);
}

static void page_command(HWND page, int id, int code)
{
    if (id == SERIAL_PAGE_PARITY_CHECK && code == BN_CLICKED) {
        serial_page_toggle_parity_check(&serial_page);
        show_row(page);
    } else if (id == SERIAL_PAGE_DEFAULTS && code == BN_CLICKED) {
        serial_page_restore_defaults(&serial_page);
        show_row(page);
    } else if (id == SERIAL_PAGE_PORT && code == CBN_SELCHANGE) {
        serial_page_select_row(&serial_page, selected_data(page, id));
        show_row(page);
    } else if (id >= SERIAL_PAGE_BAUD && id <= SERIAL_PAGE_FLOW && code == CBN_SELCHANGE) {
        serial_page_set_field(&serial_page, id, selected_data(page, id));
    }
}

static INT_PTR CALLBACK serial_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        init_page(page);
        return TRUE;
    case WM_COMMAND:
        page_command(page, LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lparam)->code == static_cast<UINT>(PSN_APPLY)) {
            if (serial_page_apply(&serial_page, serial_port_table)) serial_save_settings();
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

HPROPSHEETPAGE serial_settings_page(HWND)
{
    if (!serial_find_any_port()) return nullptr;
    serial_page_open(&serial_page, serial_port_table);
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.hInstance = app.instance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_SERIAL_PAGE);
    page.pfnDlgProc = serial_page_proc;
    return CreatePropertySheetPageA(&page);
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
