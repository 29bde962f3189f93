// The model behind the USB settings page: a working copy of the sixteen slots, the
// list of used slots as the page's list box shows them, the selected line, and what
// 追加, 変更 and 削除 do. Portable; the UI thread runs it while the settings sheet is
// open, and the dialog procedure only moves texts between it and the controls.
#pragma once

#include "ports/usb/usb_device_list.h"

// What an edit asks the page to tell the user (caption "USB設定").
enum UsbPageMessage {
    USB_PAGE_DONE = 0,
    USB_PAGE_FULL,                  // "これ以上追加できません"
    USB_PAGE_NAME_AND_GUID_NEEDED,  // "[表示名称]および[GUID]は省略できません"
    USB_PAGE_NAME_NEEDED,           // "[表示名称]は省略できません"; field 1016 shows the stored name again
    USB_PAGE_GUID_NEEDED,           // "[GUID]は省略できません"; field 1021 shows the stored GUID text again
    USB_PAGE_NOTHING_SELECTED,      // 変更 or 削除 with an empty list: nothing to do, nothing to say
};
// The message's text (Shift-JIS); null when there is nothing to tell.
const char* usb_page_message_text(UsbPageMessage message);

struct UsbPage {
    UsbDeviceEntry slots[USB_DEVICE_COUNT];
    int lines[USB_DEVICE_COUNT];  // the slot of each list line, in list order
    int line_count;
    int selected;                 // the selected line; -1 while the list is empty
    int auto_reopen;              // the check box "自動再接続", for every device
};

// Page start: copies the live list, lists every used slot in slot order and selects
// the first line.
void usb_page_open(UsbPage* page, const UsbDeviceEntry* live);
// The entry the four fields show: the selected line's; null (the fields are emptied)
// when the list is empty.
const UsbDeviceEntry* usb_page_shown(const UsbPage* page);
// A line chosen in the list.
void usb_page_select(UsbPage* page, int line);
// 追加 with the fields' texts: the first free slot takes them, its line is appended
// and selected.
UsbPageMessage usb_page_add(UsbPage* page, const UsbDeviceEntry* fields);
// 変更: the selected line's slot takes the fields' texts; its line stays in place.
UsbPageMessage usb_page_modify(UsbPage* page, const UsbDeviceEntry* fields);
// 削除: the selected line goes and its slot is freed; the line that moves into its
// place is selected, or the new last line.
UsbPageMessage usb_page_delete(UsbPage* page);
// OK: the used slots, in slot order and without gaps, become the live list.
void usb_page_apply(const UsbPage* page, UsbDeviceEntry* live);
