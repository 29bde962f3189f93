// Comparison of two ports' line settings. Portable; the UI thread calls it on the
// tables it owns.
#include "ports/serial/serial_settings.h"

// Every field, one by one: the record has no padding today, but a memcmp would
// silently start comparing it if a field of another size were ever added.
bool serial_settings_equal(const SerialSettings& a, const SerialSettings& b)
{
    return a.baudrate == b.baudrate && a.data_bits == b.data_bits && a.parity == b.parity &&
           a.stop_bits == b.stop_bits && a.flow_control == b.flow_control && a.parity_check == b.parity_check &&
           a.auto_reopen == b.auto_reopen && a.dtr == b.dtr && a.rts == b.rts;
}
