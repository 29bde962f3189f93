// Receive taps and per-port records; see receive_taps.h.
#include "terminal/receive_taps.h"

#include <thread>

bool receive_tap_attach(ReceiveTaps* taps, ReceiveTapId id, ReceiveTapRoutine routine, void* state)
{
    ReceiveTapSlot& slot = taps->slot[id];
    if (!routine || slot.routine.load()) return false;
    // The state is in place before a caller can see the routine.
    slot.state.store(state);
    slot.routine.store(routine);
    return true;
}

void* receive_tap_detach(ReceiveTaps* taps, ReceiveTapId id)
{
    ReceiveTapSlot& slot = taps->slot[id];
    if (!slot.routine.exchange(nullptr)) return nullptr;
    // A call is short (a tap only queues its work), so this is a brief spin.
    while (slot.calls.load() != 0) std::this_thread::yield();
    return slot.state.exchange(nullptr);
}

void* receive_tap_state(const ReceiveTaps* taps, ReceiveTapId id)
{
    return taps->slot[id].routine.load() ? taps->slot[id].state.load() : nullptr;
}

bool receive_taps_deliver(ReceiveTaps* taps, Port* port, const unsigned char* data, std::int32_t length)
{
    bool show = true;
    for (ReceiveTapSlot& slot : taps->slot) {
        if (!slot.routine.load(std::memory_order_relaxed)) continue;  // the common case: no count
        slot.calls.fetch_add(1);
        if (ReceiveTapRoutine routine = slot.routine.load())
            show = routine(port, slot.state.load(), data, length) && show;
        slot.calls.fetch_sub(1);
    }
    return show;
}

bool port_record_set(PortRecords* records, const void* key, void* record, void (*release)(void*))
{
    for (int i = 0; i < PORT_RECORD_SLOTS; ++i)
        if (!records->key[i]) {
            records->record[i] = record;
            records->release[i] = release;
            records->key[i] = key;
            return true;
        }
    return false;
}

void* port_record_find(const PortRecords* records, const void* key)
{
    for (int i = 0; i < PORT_RECORD_SLOTS; ++i)
        if (records->key[i] == key) return records->record[i];
    return nullptr;
}

void port_records_release(PortRecords* records)
{
    for (int i = 0; i < PORT_RECORD_SLOTS; ++i) {
        if (records->key[i] && records->release[i]) records->release[i](records->record[i]);
        records->key[i] = nullptr;
        records->record[i] = nullptr;
    }
}
