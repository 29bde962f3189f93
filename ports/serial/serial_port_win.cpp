// The serial kind: discovery, the settings rows and the settings file, the serial
// Port with its slots. See serial_port_win.h. serial_port_table is
// the live table the ports open with and the settings file holds.
#include "ports/serial/serial_port_win.h"

#include <cstdio>
#include <cstdlib>

#include "base/app_record_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "ports/serial/serial_page.h"
#include "terminal/pacing_win.h"
#include "terminal/port_kind_registry_win.h"

SerialPortEntry serial_port_table[SERIAL_PORT_COUNT];
Pacing serial_pacing[SERIAL_PORT_COUNT];

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
            row.settings.auto_reopen = settings_read_int(section, "auto reopen", d.auto_reopen);
            row.settings.dtr = settings_read_int(section, "dtr", d.dtr);
            row.settings.rts = settings_read_int(section, "rts", d.rts);
            serial_settings_make_usable(&row.settings);
            serial_pacing[n - 1] = pacing_load(section);
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
        settings_write_int(section, "auto reopen", row.settings.auto_reopen);
        settings_write_int(section, "dtr", row.settings.dtr);
        settings_write_int(section, "rts", row.settings.rts);
        pacing_save(section, serial_pacing[n - 1]);
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

static std::int32_t serial_write_slot(Port* port, const unsigned char* data, std::int32_t length)
{
    if (!port || !data || length <= 0) return 0;
    return serial_engine_write(&reinterpret_cast<SerialPort*>(port)->engine, data, length);
}

static void serial_close_slot(Port* port)
{
    if (!port) return;
    SerialEngine* engine = &reinterpret_cast<SerialPort*>(port)->engine;
    serial_engine_stop(engine);
    // An engine thread that had to be terminated may have left I/O under way that
    // still refers to the record: it is left allocated for good.
    if (!engine->core.abandoned) std::free(port);
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
    InterlockedExchange(&port->auto_reopen, row->settings.auto_reopen);
    serial->own_line = 0;
    // A line the driver refuses (a typed speed it cannot run) is told as an open
    // is; the port goes on with what the driver kept. A device that is gone cannot
    // be configured at all: the reopen that waits for it applies the row.
    if (!serial_engine_configure(&serial->engine, &row->settings) && port->status.state == PORT_CONNECTED)
        serial_refuse(app.frame_window, &serial->com_number);
}

static const PortSlots SERIAL_SLOTS = {serial_close_slot, serial_write_slot, serial_long_name, serial_short_name,
                                       serial_apply_settings};

// Opens the port's engine on its COM port with the row's settings as they are now.
// The status is set first: the engine's own reports, from its thread, come after.
static bool open_engine(SerialPort* serial)
{
    Port* port = &serial->port;
    SerialPortEntry* row = serial_find_port(serial->com_number);
    if (!row) return false;
    port_set_status(port, PortStatus{PORT_CONNECTED, PORT_REASON_NONE});
    InterlockedExchange(&port->auto_reopen, row->settings.auto_reopen);
    SerialOpenParams params;
    params.settings = serial->own_line ? serial->line : row->settings;
    port_engine_callbacks(port, &params.callbacks);
    return serial_engine_open(serial->com_number, &serial->engine, &params) == 0;
}

static Port* open_serial_port(int number, const SerialSettings* line)
{
    if (!serial_find_port(number)) return nullptr;
    SerialPort* serial = static_cast<SerialPort*>(std::calloc(1, sizeof(SerialPort)));
    if (!serial) return nullptr;
    Port* port = &serial->port;
    serial->com_number = number;
    if (line) {
        serial->line = *line;
        serial->own_line = 1;
    }
    port_set_slots(port, &SERIAL_SLOTS);
    port->kind = PORT_SERIAL;
    if (!open_engine(serial)) {
        std::free(serial);
        return nullptr;
    }
    return port;
}

// An engine whose thread had to be terminated may have left I/O that still uses the
// record: it is not opened again.
bool serial_reopen(Port* port)
{
    SerialPort* serial = reinterpret_cast<SerialPort*>(port);
    serial_engine_stop(&serial->engine);
    return !serial->engine.core.abandoned && open_engine(serial);
}

static int number_of(const void* argument)
{
    return argument ? *static_cast<const int*>(argument) : 0;
}

// The line settings of the port serial_open_request is opening, for the constructor
// that create_port calls meanwhile; none otherwise. The open argument stays the
// number every caller gives. UI thread only.
static const SerialSettings* requested_line;

Port* serial_port_create(HWND frame, const void* argument)
{
    Port* port = open_serial_port(number_of(argument), requested_line);
    if (!port) serial_refuse(frame, argument);
    return port;
}

bool serial_device_name(const void* argument, char* out, std::size_t size)
{
    return std::snprintf(out, size, "COM%d", number_of(argument)) > 0;
}

void serial_refuse(HWND frame, const void* argument)
{
    char text[64];
    std::snprintf(text, sizeof text, "COM%d はｵｰﾌﾟﾝ出来ません", number_of(argument));
    port_kind_warn(frame, text, "ｼﾘｱﾙﾎﾟｰﾄ･ｵｰﾌﾟﾝ");
}

// A COM port named on the command line, its line settings given there laid over its
// row's. The parser has kept each within what the page's model codes.
static Port* serial_open_request(const PortRequest* request)
{
    int number = request->number;
    SerialSettings line;
    const SerialPortEntry* row = serial_find_port(number);
    if (row && (request->baudrate > 0 || request->data_bits > 0 || request->parity >= 0 || request->stop_bits >= 0)) {
        line = row->settings;
        if (request->baudrate > 0) line.baudrate = request->baudrate;
        if (request->data_bits > 0) line.data_bits = request->data_bits;
        if (request->parity >= 0) line.parity = request->parity;
        if (request->stop_bits >= 0) line.stop_bits = request->stop_bits;
        requested_line = &line;
    }
    Port* port = create_port(PORT_SERIAL, &number);
    requested_line = nullptr;
    return port;
}

static bool serial_describe(Port* port, PortRequest* out)
{
    *out = PortRequest{PORT_SERIAL, reinterpret_cast<SerialPort*>(port)->com_number, nullptr, 0, 0, -1, -1, -1, -1};
    return true;
}

static Pacing serial_port_pacing(Port* port)
{
    int number = reinterpret_cast<SerialPort*>(port)->com_number;
    return number >= 1 && number <= SERIAL_PORT_COUNT ? serial_pacing[number - 1] : Pacing{};
}

void serial_register_kind()
{
    static const PortKindEntry kind = {serial_port_create, serial_wake_engine, serial_reopen, serial_enumerate_ports, serial_connect,
                                        serial_settings_page, serial_settings_notify, nullptr, serial_device_name,
                                        serial_refuse, serial_port_pacing, serial_open_request, serial_describe};
    port_kind_register(PORT_SERIAL, kind);
    serial_register_lines();
}
