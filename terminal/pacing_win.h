// The pacing of each kind's ports as the settings file holds it ("char delay" and
// "line delay" in the kind's section) and as every kind's settings page edits it (the
// fields IDC_PACING_CHAR_DELAY and IDC_PACING_LINE_DELAY), and a port's pacing as
// its kind gives it. UI thread only.
#pragma once
#include <windows.h>

#include "terminal/pacing.h"

struct Port;

Pacing pacing_load(const char* section);
// Non-zero when both keys were written.
int pacing_save(const char* section, const Pacing& pacing);

// The page's two fields show pacing; pacing_fields_take reads them back, a field
// that holds no delay in range keeping what `kept` has.
void pacing_fields_show(HWND page, const Pacing& pacing);
Pacing pacing_fields_take(HWND page, const Pacing& kept);
// Copies count rows of a page's working copy into the live rows; true when any
// differed (the caller then saves).
bool pacing_rows_apply(const Pacing* working, Pacing* live, int count);

// Waits out a pause of ms, in slices of 10 ms, until stopped(context) says so; false
// when it did. Sleeps at least once, so that a pause of 1 ms is never cut short by
// the tick count turning over at once. Any thread.
bool pacing_pause(DWORD ms, bool (*stopped)(void* context), void* context);

// The port's pacing as its kind holds it now: none for a kind that has none.
Pacing port_pacing(Port* port);
