// Which Windows the program may run on, decided from the version numbers alone.
// Portable: the Win32 start-up asks GetVersionExA and hands the numbers here.
#pragma once

// Platform identifiers as GetVersionExA reports them.
enum OsPlatform {
    OS_PLATFORM_WIN32S = 0,
    OS_PLATFORM_WINDOWS = 1,  // the Windows 95 / 98 / Me family
    OS_PLATFORM_NT = 2,
};

// os_family values.
enum OsFamily {
    OS_FAMILY_REFUSED = -1,  // the program must not start
    OS_FAMILY_98 = 0,        // Windows 98 / Me: ports are probed by number (refused at start-up now)
    OS_FAMILY_NT = 1,        // Windows XP and later: ports are listed by QueryDosDeviceA
};

// version_known is false when GetVersionExA failed.
int os_family_decide(bool version_known, unsigned platform, unsigned major, unsigned minor);
