// Command 104 "接続 - USBﾎﾟｰﾄ(&U)": dialog 9 lists the entries that have a display
// name and a GUID text (nothing happens when none has), and the chosen one is copied
// into usb_selected_entry and opened with create_port. UI thread only.
#include <cstdio>

#include "ports/usb/usb_port_win.h"
#include "resources/usb_ids.h"
#include "terminal/list_dialog_win.h"

void usb_connect(HWND frame)
{
    ListDialogEntry lines[USB_DEVICE_COUNT];
    int count = 0;
    for (int slot = 0; slot < USB_DEVICE_COUNT; ++slot) {
        if (!usb_entry_usable(&usb_device_table[slot])) continue;
        std::snprintf(lines[count].text, sizeof lines[count].text, "%s", usb_device_table[slot].name);
        lines[count++].data = slot + 1;  // 0 is the dialog's "cancelled"
    }
    LPARAM chosen = list_dialog_run(frame, IDD_USB_CONNECT, lines, count);
    if (chosen < 1 || chosen > USB_DEVICE_COUNT) return;
    usb_selected_entry = usb_device_table[chosen - 1];
    create_port(PORT_USB, &usb_selected_entry);
}
