// The USB kind: the list and the settings file, the host-controller probe, the USB
// Port with its slots. See usb_port_win.h.
#include "ports/usb/usb_port_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/app_record_win.h"
#include "base/settings.h"
#include "terminal/pacing_win.h"
#include "terminal/port_kind_registry_win.h"

UsbDeviceEntry usb_device_table[USB_DEVICE_COUNT];
UsbDeviceEntry usb_selected_entry;
Pacing usb_pacing;
std::int32_t usb_available;
std::int32_t usb_auto_reopen;

// Numbers are never reused during a run: the counter only grows.
static std::int32_t usb_number_counter;

static const char USB_SECTION[] = "usb";

static void read_key(void*, const char* key, char* buffer, int size)
{
    settings_read_text(USB_SECTION, key, buffer, size, "");
}

void usb_load_settings()
{
    usb_list_load(usb_device_table, read_key, nullptr);
    // Anything but 1 is off, as the page's check box shows it.
    usb_auto_reopen = settings_read_int(USB_SECTION, "auto reopen", 0) == 1 ? 1 : 0;
    usb_pacing = pacing_load(USB_SECTION);
}

struct SavedSlots {
    int slots[USB_DEVICE_COUNT];
};

static int write_entry(const char* section, int index, void* context)
{
    const UsbDeviceEntry& entry = usb_device_table[static_cast<SavedSlots*>(context)->slots[index]];
    int ok = 1;
    for (int i = 0; i < USB_ENTRY_TEXTS; ++i) {
        char key[32];
        usb_entry_key(i, index + 1, key, sizeof key);
        ok &= settings_write_text(section, key, usb_entry_text(&entry, i)) != 0;
    }
    return ok;
}

void usb_save_settings()
{
    SavedSlots saved;
    int count = usb_list_saved_slots(usb_device_table, saved.slots);
    settings_write_list(USB_SECTION, "entry", count, write_entry, &saved);
    settings_write_int(USB_SECTION, "auto reopen", usb_auto_reopen);
    // Rewriting the list cleared the section: the pacing goes back in after it.
    pacing_save(USB_SECTION, usb_pacing);
}

// Whether the first USB host controller can be opened; nothing else uses it.
static bool host_controller_present()
{
    HANDLE hcd = CreateFileA("\\\\.\\HCD0", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hcd == INVALID_HANDLE_VALUE) return false;
    CloseHandle(hcd);
    return true;
}

int usb_startup()
{
    usb_load_settings();
    usb_available = host_controller_present() ? 1 : 0;
    return usb_available;
}

static UsbPort* usb_of(Port* port)
{
    return reinterpret_cast<UsbPort*>(port);
}

static std::int32_t usb_write_slot(Port* port, const unsigned char* data, std::int32_t length)
{
    if (!port || !data || length <= 0) return 0;
    return usb_write(&usb_of(port)->engine, data, length);
}

static void usb_close_slot(Port* port)
{
    if (!port) return;
    UsbEngine* engine = &usb_of(port)->engine;
    usb_stop(engine);
    // An engine thread that had to be terminated may have left I/O under way that
    // still refers to the record: it is left allocated for good.
    if (!engine->core.abandoned) std::free(port);
}

static const char* usb_long_name(Port* port)
{
    if (!port) return "";
    usb_format_long_name(usb_of(port)->name, usb_of(port)->usb_number, port->long_name_text,
                         sizeof port->long_name_text);
    return port->long_name_text;
}

static const char* usb_short_name(Port* port)
{
    if (!port) return "";
    std::snprintf(port->short_name_text, sizeof port->short_name_text, "USB%d",
                  static_cast<int>(usb_of(port)->usb_number));
    return port->short_name_text;
}

void usb_apply_settings(Port* port)
{
    if (port && port->kind == PORT_USB) InterlockedExchange(&port->auto_reopen, usb_auto_reopen);
}

static const PortSlots USB_SLOTS = {usb_close_slot, usb_write_slot, usb_long_name, usb_short_name,
                                    usb_apply_settings};

// Opens the port's engine on its entry's device and pipes. The status is set first:
// the engine's own reports, from its thread, come after.
static bool open_engine(UsbPort* usb)
{
    Port* port = &usb->port;
    port_set_status(port, PortStatus{PORT_CONNECTED, PORT_REASON_NONE});
    usb_apply_settings(port);
    UsbOpenParams params = {usb->entry.guid, usb->entry.input_pipe, usb->entry.output_pipe, {}};
    port_engine_callbacks(port, &params.callbacks);
    return usb_open(&usb->engine, &params) == 0;
}

Port* usb_port_new(HWND owner, const void* argument)
{
    const UsbDeviceEntry* entry = static_cast<const UsbDeviceEntry*>(argument);
    if (!entry) return nullptr;
    if (UsbPort* usb = static_cast<UsbPort*>(std::calloc(1, sizeof(UsbPort)))) {
        usb->usb_number = ++usb_number_counter;
        Port* port = &usb->port;
        port->kind = PORT_USB;
        port_set_slots(port, &USB_SLOTS);
        std::snprintf(usb->name, sizeof usb->name, "%s", entry->name);
        usb->entry = *entry;
        if (open_engine(usb)) return port;
        std::free(usb);
    }
    usb_refuse(owner, argument);
    return nullptr;
}

// An engine whose thread had to be terminated may have left I/O that still uses the
// record: it is not opened again.
bool usb_reopen(Port* port)
{
    UsbPort* usb = usb_of(port);
    usb_stop(&usb->engine);
    return !usb->engine.core.abandoned && open_engine(usb);
}

// The device (its GUID or name) and both pipes: another entry for the same pipes of
// the same device names the same device.
bool usb_device_name(const void* argument, char* out, std::size_t size)
{
    const UsbDeviceEntry* entry = static_cast<const UsbDeviceEntry*>(argument);
    return entry &&
           std::snprintf(out, size, "%s|%s|%s", entry->guid, entry->input_pipe, entry->output_pipe) > 0;
}

void usb_refuse(HWND owner, const void* argument)
{
    const UsbDeviceEntry* entry = static_cast<const UsbDeviceEntry*>(argument);
    if (!entry) return;
    char text[USB_TEXT_SIZE + 32];
    std::snprintf(text, sizeof text, "%s はｵｰﾌﾟﾝ出来ません", entry->name);
    port_kind_warn(owner, text, "USBﾎﾟｰﾄ･ｵｰﾌﾟﾝ");
}

// The USB kind's discovery is its start-up: the list, then the host-controller probe.
static int usb_discover(int)
{
    return usb_startup();
}

static Pacing usb_port_pacing(Port*)
{
    return usb_pacing;
}

// USBn: the device list's entry n ("device name n" in the settings file). An entry
// that cannot be opened is refused with the kind's warning, under its name or, for
// an empty one, as "USBn".
static Port* usb_open_request(const PortRequest* request)
{
    UsbDeviceEntry entry = {};
    if (request->number >= 1 && request->number <= USB_DEVICE_COUNT) entry = usb_device_table[request->number - 1];
    if (usb_entry_usable(&entry)) return create_port(PORT_USB, &entry);
    if (!entry.name[0]) std::snprintf(entry.name, sizeof entry.name, "USB%d", request->number);
    usb_refuse(app.frame_window, &entry);
    return nullptr;
}

// The list's entry that names the port's device and pipes now; none when the list
// has changed since the port was opened.
static bool usb_describe(Port* port, PortRequest* out)
{
    const UsbDeviceEntry& opened = usb_of(port)->entry;
    for (int slot = 0; slot < USB_DEVICE_COUNT; ++slot) {
        const UsbDeviceEntry& entry = usb_device_table[slot];
        if (usb_entry_usable(&entry) && std::strcmp(entry.name, opened.name) == 0 &&
            std::strcmp(entry.guid, opened.guid) == 0 && std::strcmp(entry.input_pipe, opened.input_pipe) == 0 &&
            std::strcmp(entry.output_pipe, opened.output_pipe) == 0) {
            *out = PortRequest{PORT_USB, slot + 1, nullptr, 0, 0, -1, -1, -1, -1};
            return true;
        }
    }
    return false;
}

void usb_register_kind()
{
    static const PortKindEntry kind = {usb_port_new, nullptr, usb_reopen, usb_discover, usb_connect, usb_settings_page, nullptr, nullptr,
                                        usb_device_name, usb_refuse, usb_port_pacing, usb_open_request,
                                        usb_describe};
    port_kind_register(PORT_USB, kind);
}
