// The parallel kind: discovery, the settings rows and the settings file, the parallel
// Port with its slots. See parallel_port_win.h.
// parallel_port_table is the live table the ports open with and the file holds.
#include "ports/parallel/parallel_port_win.h"

#include <cstdio>
#include <cstdlib>

#include "base/os_check.h"
#include "base/settings.h"
#include "ports/parallel/parallel_page.h"
#include "terminal/pacing_win.h"
#include "terminal/port_kind_registry_win.h"

ParallelPortEntry parallel_port_table[PARALLEL_PORT_COUNT];
Pacing parallel_pacing[PARALLEL_PORT_COUNT];

static void section_name(int number, char* out, size_t size)
{
    std::snprintf(out, size, "lpt%d", number);
}

static bool query_dos_device(int number)
{
    char name[16], target[256];
    std::snprintf(name, sizeof name, "LPT%d", number);
    return QueryDosDeviceA(name, target, sizeof target) != 0;
}

bool (*parallel_device_present)(int number) = query_dos_device;

int parallel_enumerate_ports(int os_family)
{
    for (ParallelPortEntry& row : parallel_port_table) row = ParallelPortEntry{};
    for (int n = 1; n <= PARALLEL_PORT_COUNT; ++n) {
        if (os_family == OS_FAMILY_NT ? parallel_device_present(n) : n == 1)
            parallel_port_table[n - 1].available = 1;
    }
    parallel_load_settings();
    return 1;
}

void parallel_load_settings()
{
    for (int n = 1; n <= PARALLEL_PORT_COUNT; ++n) {
        ParallelPortEntry& row = parallel_port_table[n - 1];
        char section[16];
        section_name(n, section, sizeof section);
        if (!row.available) row.available = settings_read_int(section, "valid", 0);
        if (row.available) {
            const ParallelSettings& d = PARALLEL_DEFAULT_SETTINGS;
            row.settings.receive_interval = static_cast<std::uint32_t>(
                settings_read_int(section, "receive times", static_cast<int>(d.receive_interval)));
            row.settings.bidirectional = settings_read_int(section, "bidi", d.bidirectional);
            parallel_settings_make_usable(&row.settings);
            parallel_pacing[n - 1] = pacing_load(section);
        }
        row.changed = 0;
    }
}

void parallel_save_settings()
{
    for (int n = 1; n <= PARALLEL_PORT_COUNT; ++n) {
        const ParallelPortEntry& row = parallel_port_table[n - 1];
        if (!row.available) continue;
        char section[16];
        section_name(n, section, sizeof section);
        settings_write_int(section, "receive times", static_cast<int>(row.settings.receive_interval));
        settings_write_int(section, "bidi", row.settings.bidirectional);
        pacing_save(section, parallel_pacing[n - 1]);
    }
}

ParallelPortEntry* parallel_find_port(int number)
{
    if (number < 1 || number > PARALLEL_PORT_COUNT || !parallel_port_table[number - 1].available) return nullptr;
    return &parallel_port_table[number - 1];
}

static ParallelPort* parallel_of(Port* port)
{
    return reinterpret_cast<ParallelPort*>(port);
}

static std::int32_t parallel_write_slot(Port* port, const unsigned char* data, std::int32_t length)
{
    if (!port || !data || length <= 0) return 0;
    return parallel_engine_write(&parallel_of(port)->engine, data, length);
}

static void parallel_close_slot(Port* port)
{
    if (!port) return;
    ParallelEngine* engine = &parallel_of(port)->engine;
    parallel_engine_stop(engine);
    // An engine thread that had to be terminated may have left I/O under way that
    // still refers to the record: it is left allocated for good.
    if (!engine->core.abandoned) std::free(port);
}

void parallel_wake_engine(Port* port)
{
    if (port) parallel_engine_cancel(&parallel_of(port)->engine);
}

const char* parallel_long_name(Port* port)
{
    if (!port) return "";
    std::snprintf(port->long_name_text, sizeof port->long_name_text, "ﾊﾟﾗﾚﾙﾎﾟｰﾄ (LPT%d)",
                  parallel_of(port)->lpt_number);
    return port->long_name_text;
}

const char* parallel_short_name(Port* port)
{
    if (!port) return "";
    std::snprintf(port->short_name_text, sizeof port->short_name_text, "LPT%d", parallel_of(port)->lpt_number);
    return port->short_name_text;
}

void parallel_apply_settings(Port* port)
{
    if (!port) return;
    ParallelPort* parallel = parallel_of(port);
    ParallelPortEntry* row = parallel_find_port(parallel->lpt_number);
    if (!row || !row->changed) return;
    row->changed = 0;
    parallel_engine_configure(&parallel->engine, &row->settings);
}

static const PortSlots PARALLEL_SLOTS = {parallel_close_slot, parallel_write_slot, parallel_long_name,
                                         parallel_short_name, parallel_apply_settings};

// Opens the port's engine on its LPT port with the row's settings as they are now.
// The status is set first: the engine's own reports, from its thread, come after.
static bool open_engine(ParallelPort* parallel)
{
    Port* port = &parallel->port;
    ParallelPortEntry* row = parallel_find_port(parallel->lpt_number);
    if (!row) return false;
    port_set_status(port, PortStatus{PORT_CONNECTED, PORT_REASON_NONE});
    ParallelOpenParams params;
    params.settings = row->settings;
    port_engine_callbacks(port, &params.callbacks);
    return parallel_engine_open(parallel->lpt_number, &parallel->engine, &params) == 0;
}

static Port* open_parallel_port(int number)
{
    if (!parallel_find_port(number)) return nullptr;
    ParallelPort* parallel = static_cast<ParallelPort*>(std::calloc(1, sizeof(ParallelPort)));
    if (!parallel) return nullptr;
    Port* port = &parallel->port;
    parallel->lpt_number = number;
    port_set_slots(port, &PARALLEL_SLOTS);
    port->kind = PORT_PARALLEL;
    if (!open_engine(parallel)) {
        std::free(parallel);
        return nullptr;
    }
    return port;
}

// An engine whose thread had to be terminated may have left I/O that still uses the
// record: it is not opened again.
bool parallel_reopen(Port* port)
{
    ParallelPort* parallel = parallel_of(port);
    parallel_engine_stop(&parallel->engine);
    return !parallel->engine.core.abandoned && open_engine(parallel);
}

// Windows can hold an LPT port for a printer assigned to it; the open then fails like
// any other (no sharing), and nothing the program can ask tells that cause apart from
// a port in use by another program, so the one message is shown for every failure.
static int number_of(const void* argument)
{
    return argument ? *static_cast<const int*>(argument) : 0;
}

Port* parallel_port_create(HWND frame, const void* argument)
{
    Port* port = open_parallel_port(number_of(argument));
    if (!port) parallel_refuse(frame, argument);
    return port;
}

bool parallel_device_name(const void* argument, char* out, std::size_t size)
{
    return std::snprintf(out, size, "LPT%d", number_of(argument)) > 0;
}

void parallel_refuse(HWND frame, const void* argument)
{
    char text[64];
    std::snprintf(text, sizeof text, "LPT%d はｵｰﾌﾟﾝ出来ません", number_of(argument));
    port_kind_warn(frame, text, "ﾊﾟﾗﾚﾙﾎﾟｰﾄ･ｵｰﾌﾟﾝ");
}

static Port* parallel_open_request(const PortRequest* request)
{
    int number = request->number;
    return create_port(PORT_PARALLEL, &number);
}

static bool parallel_describe(Port* port, PortRequest* out)
{
    *out = PortRequest{PORT_PARALLEL, reinterpret_cast<ParallelPort*>(port)->lpt_number, nullptr, 0, 0, -1, -1, -1, -1};
    return true;
}

static Pacing parallel_port_pacing(Port* port)
{
    int number = reinterpret_cast<ParallelPort*>(port)->lpt_number;
    return number >= 1 && number <= PARALLEL_PORT_COUNT ? parallel_pacing[number - 1] : Pacing{};
}

void parallel_register_kind()
{
    static const PortKindEntry kind = {parallel_port_create, parallel_wake_engine, parallel_reopen, parallel_enumerate_ports, parallel_connect,
                                        parallel_settings_page, parallel_settings_notify, nullptr,
                                        parallel_device_name, parallel_refuse, parallel_port_pacing,
                                        parallel_open_request, parallel_describe};
    port_kind_register(PORT_PARALLEL, kind);
}
