// The operating-system decision table of the start-up. Runs on the UI thread at
// start-up; pure function, no state.
#include "base/os_check.h"

// The program needs Windows XP or later (XP x64 or later for the 64-bit build): the
// C and C++ runtimes it is built with import functions that Windows 2000 and the
// 95 / 98 / Me family lack (kernel32's AddVectoredExceptionHandler among them), so
// there the system's loader already refuses the program. The table refuses them too, so the check and the read-me agree. The rows
// are tried in order; the first that matches decides.
int os_family_decide(bool version_known, unsigned platform, unsigned major, unsigned minor)
{
    if (!version_known) return OS_FAMILY_REFUSED;
    if (major < 5) return OS_FAMILY_REFUSED;
    // Any platform with 5.1 or 5.2 (XP, XP x64, Server 2003): how Windows 2000's
    // successors report themselves, whatever the platform field says.
    if (major == 5) return minor >= 1 ? OS_FAMILY_NT : OS_FAMILY_REFUSED;
    return platform == OS_PLATFORM_NT ? OS_FAMILY_NT : OS_FAMILY_REFUSED;
}
