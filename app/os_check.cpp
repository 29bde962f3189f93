// The operating-system decision table of the start-up. Runs on the UI thread at
// start-up; pure function, no state.
#include "app/os_check.h"

// The rows are tried in order; the first that matches decides. Major version 5 is
// accepted before the platform is looked at, so any 2000 / XP / Server 2003 passes.
int os_family_decide(bool version_known, unsigned platform, unsigned major, unsigned minor)
{
    if (!version_known) return OS_FAMILY_REFUSED;
    if (major == 3) return OS_FAMILY_REFUSED;
    if (major == 5) return OS_FAMILY_NT;
    if (platform == OS_PLATFORM_NT) return major == 4 ? OS_FAMILY_REFUSED : OS_FAMILY_NT;
    if (platform == OS_PLATFORM_WINDOWS) {
        // 4.0 is Windows 95 whatever its service text says (OSR2 included).
        return (major == 4 && minor == 0) ? OS_FAMILY_REFUSED : OS_FAMILY_98;
    }
    return OS_FAMILY_REFUSED;
}
