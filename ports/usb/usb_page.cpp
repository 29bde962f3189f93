// The USB settings page's model; see usb_page.h. Portable; UI thread while the
// settings sheet is open. The working copy and the list lines are the page's own;
// the live list stays the caller's until apply.
#include "ports/usb/usb_page.h"

#include <cstring>

const char* usb_page_message_text(UsbPageMessage message)
{
    switch (message) {
    case USB_PAGE_FULL:
        return "\x82\xb1\x82\xea\x88\xc8\x8f\xe3\x92\xc7\x89\xc1\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
    case USB_PAGE_NAME_AND_GUID_NEEDED:
        return "[\x95\x5c\x8e\xa6\x96\xbc\x8f\xcc]\x82\xa8\x82\xe6\x82\xd1[GUID]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5"
               "\x82\xab\x82\xdc\x82\xb9\x82\xf1";
    case USB_PAGE_NAME_NEEDED:
        return "[\x95\x5c\x8e\xa6\x96\xbc\x8f\xcc]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
    case USB_PAGE_GUID_NEEDED:
        return "[GUID]\x82\xcd\x8f\xc8\x97\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
    default:
        return nullptr;
    }
}

void usb_page_open(UsbPage* page, const UsbDeviceEntry* live)
{
    if (!page || !live) return;
    std::memcpy(page->slots, live, sizeof page->slots);
    page->line_count = 0;
    for (int slot = 0; slot < USB_DEVICE_COUNT; ++slot)
        if (usb_entry_used(&page->slots[slot])) page->lines[page->line_count++] = slot;
    page->selected = page->line_count > 0 ? 0 : -1;
}

const UsbDeviceEntry* usb_page_shown(const UsbPage* page)
{
    if (!page || page->selected < 0 || page->selected >= page->line_count) return nullptr;
    return &page->slots[page->lines[page->selected]];
}

void usb_page_select(UsbPage* page, int line)
{
    if (page && line >= 0 && line < page->line_count) page->selected = line;
}

static void store(UsbDeviceEntry* slot, const UsbDeviceEntry* fields)
{
    for (int i = 0; i < USB_ENTRY_TEXTS; ++i) usb_entry_set_text(slot, i, usb_entry_text(fields, i));
}

UsbPageMessage usb_page_add(UsbPage* page, const UsbDeviceEntry* fields)
{
    if (!page || !fields) return USB_PAGE_NOTHING_SELECTED;
    int free_slot = -1;
    for (int slot = 0; slot < USB_DEVICE_COUNT && free_slot < 0; ++slot)
        if (!usb_entry_used(&page->slots[slot])) free_slot = slot;
    if (free_slot < 0) return USB_PAGE_FULL;
    if (!fields->name[0] || !fields->guid[0]) return USB_PAGE_NAME_AND_GUID_NEEDED;
    store(&page->slots[free_slot], fields);
    page->lines[page->line_count] = free_slot;
    page->selected = page->line_count++;
    return USB_PAGE_DONE;
}

UsbPageMessage usb_page_modify(UsbPage* page, const UsbDeviceEntry* fields)
{
    if (!usb_page_shown(page) || !fields) return USB_PAGE_NOTHING_SELECTED;
    if (!fields->name[0]) return USB_PAGE_NAME_NEEDED;
    if (!fields->guid[0]) return USB_PAGE_GUID_NEEDED;
    store(&page->slots[page->lines[page->selected]], fields);
    return USB_PAGE_DONE;
}

UsbPageMessage usb_page_delete(UsbPage* page)
{
    if (!usb_page_shown(page)) return USB_PAGE_NOTHING_SELECTED;
    const int line = page->selected;
    page->slots[page->lines[line]] = UsbDeviceEntry{};
    for (int i = line; i + 1 < page->line_count; ++i) page->lines[i] = page->lines[i + 1];
    --page->line_count;
    page->selected = line < page->line_count ? line : page->line_count - 1;
    return USB_PAGE_DONE;
}

void usb_page_apply(const UsbPage* page, UsbDeviceEntry* live)
{
    if (!page || !live) return;
    int count = 0;
    for (int slot = 0; slot < USB_DEVICE_COUNT; ++slot)
        if (usb_entry_used(&page->slots[slot])) live[count++] = page->slots[slot];
    for (; count < USB_DEVICE_COUNT; ++count) live[count] = UsbDeviceEntry{};
}
