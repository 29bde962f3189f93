// Pacing in the settings file and on the settings pages; see pacing_win.h.
#include "terminal/pacing_win.h"

#include "base/settings.h"
#include "resources/terminal_ids.h"
#include "terminal/port_kind_registry_win.h"

Pacing pacing_load(const char* section)
{
    return Pacing{pacing_usable(settings_read_int(section, "char delay", 0)),
                  pacing_usable(settings_read_int(section, "line delay", 0))};
}

int pacing_save(const char* section, const Pacing& pacing)
{
    int ok = settings_write_int(section, "char delay", pacing.char_delay) != 0;
    return ok & (settings_write_int(section, "line delay", pacing.line_delay) != 0);
}

void pacing_fields_show(HWND page, const Pacing& pacing)
{
    SetDlgItemInt(page, IDC_PACING_CHAR_DELAY, static_cast<UINT>(pacing.char_delay), FALSE);
    SetDlgItemInt(page, IDC_PACING_LINE_DELAY, static_cast<UINT>(pacing.line_delay), FALSE);
}

static std::int32_t field(HWND page, int control, std::int32_t kept)
{
    char text[32] = "";
    GetDlgItemTextA(page, control, text, sizeof text);
    return pacing_field_value(text, kept);
}

Pacing pacing_fields_take(HWND page, const Pacing& kept)
{
    return Pacing{field(page, IDC_PACING_CHAR_DELAY, kept.char_delay),
                  field(page, IDC_PACING_LINE_DELAY, kept.line_delay)};
}

bool pacing_rows_apply(const Pacing* working, Pacing* live, int count)
{
    bool any = false;
    for (int i = 0; i < count; ++i) {
        if (working[i].char_delay == live[i].char_delay && working[i].line_delay == live[i].line_delay) continue;
        live[i] = working[i];
        any = true;
    }
    return any;
}

bool pacing_pause(DWORD ms, bool (*stopped)(void* context), void* context)
{
    constexpr DWORD SLICE_MS = 10;
    DWORD start = GetTickCount(), gone = 0;
    do {
        DWORD left = ms > gone ? ms - gone : 1;
        Sleep(left < SLICE_MS ? left : SLICE_MS);
        if (stopped(context)) return false;
        gone = GetTickCount() - start;
    } while (gone < ms);
    return true;
}

Pacing port_pacing(Port* port)
{
    if (!port) return Pacing{};
    auto pacing = port_kind_entry(port->kind).pacing;
    return pacing ? pacing(port) : Pacing{};
}
