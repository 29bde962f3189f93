// The command line at work: the ports it names opened at start, its syntax and
// refusals told in message boxes, and a line handed over to the instance that already
// runs (WM_COPYDATA to its frame) and opened there. UI thread only.
#pragma once
#include <windows.h>

#include "app/command_line.h"
#include "terminal/port_win.h"

// Posted by the frame to itself once it has taken a handed-over line: the line is
// opened from the message loop, so the start that handed it over is not kept
// waiting while a port that does not open shows its warning.
constexpr UINT MSG_OPEN_HANDED_OVER = WM_USER + 110;
// WM_COPYDATA's dwData for a handed-over command line.
constexpr ULONG_PTR COPYDATA_COMMAND_LINE = 0x54564C31;

// "/?": the syntax, explained.
void command_line_show_syntax();
// A line that was refused: the argument at fault and why.
void command_line_show_refusal(const CommandLine* line);

// Opens every port the line names, in order, each as its connect command would
// after its dialog (its settings from the settings file; a COM port's line settings
// given on the line for that port alone). A port that does not open shows its
// kind's warning and the others still open. opened, when given, receives the port
// of each of line->ports (none where it did not open). Returns how many opened.
int command_line_open_ports(const CommandLine* line, Port** opened);

// The starting side: hands the whole command line to the other instance's frame.
// False when that frame did not take it.
bool command_line_hand_over(HWND other, const char* command_line);
// The frame's side, WM_COPYDATA: a command line is taken only as command_line.h
// says; it is kept and opened on MSG_OPEN_HANDED_OVER. True when taken.
bool command_line_take_handed_over(HWND frame, const COPYDATASTRUCT* data);
// MSG_OPEN_HANDED_OVER: opens the ports of every line taken since. A line that does
// not parse, asks for the syntax or runs sequences opens nothing here.
void command_line_open_handed_over();
