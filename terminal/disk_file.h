// Which names the program takes as files: a name that Windows resolves to a device
// rather than a file on disk (COM1, LPT2.tfk, "C:\logs\aux.txt", CON, NUL...) opens
// that device, whose reads and writes can wait for ever or send the bytes out of a
// port. Every file the user names for the program to write or read (function-key
// files, the receive log, send lists and the files they list) is checked here first.
// Portable and pure; any thread.
#pragma once

// Whether Windows would open a device for this name: its last part (after the last
// "\", "/" or a drive's ":"), up to its first "." or ":" and without the spaces
// around it, is CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$ or
// CLOCK$ in any case; or the whole name is in the device namespace ("\\.\...") or a
// "\\?\" name that is not a drive's or a share's path. Paths are bytes in code page
// 932: a 0x5C trail byte of a double-byte character is not a separator.
bool disk_file_name_is_device(const char* name);
