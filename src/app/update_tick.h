#pragma once
// The update tick without its windows: one snapshot while any lamp is shown, every shown lamp
// sampled in device order, the LED and the tray icon told the whole tick's activity, and the
// working set's trim counted.

#include <cstddef>
#include <cstdint>

#include "sampling/sampler.h"

namespace lumora {

// The outputs that follow the whole tick besides the lamps: the keyboard LED and the tray icon.
// The tick calls BeginTick first, AddActivity with each sampled lamp's state, and EndTick after
// the last lamp; a tick whose snapshot fails calls EndTick with nothing added.
class TickOutputs {
public:
    virtual ~TickOutputs() = default;
    // Forget the previous tick and show the outputs idle.
    virtual void BeginTick() = 0;
    virtual void AddActivity(ActivityState state) = 0;
    // Light what any added state asks for, as the settings allow.
    virtual void EndTick() = 0;
};

// What the tick walks: the performance data and the devices' lamps, entry i being device i's.
class TickLamps {
public:
    virtual ~TickLamps() = default;
    // Reads the one snapshot that every sampler of this tick uses; not called while no lamp is shown.
    virtual bool RefreshSnapshot() = 0;
    virtual size_t Count() = 0;
    // Enabled and on screen; only such lamps are sampled.
    virtual bool IsShown(size_t index) = 0;
    virtual __performance_data* Sampler(size_t index) = 0;
    // Samples the device through its lamp and schedules the repaint; 0 while the lamp flashes.
    virtual ActivityState Update(size_t index) = 0;
};

// False when the snapshot failed: nothing was sampled and the outputs show idle. With no lamp
// shown no snapshot is taken, and the outputs show idle too.
bool RunUpdateTick(TickLamps& lamps, TickOutputs* outputs);

// Counts the update ticks so that the working set is handed back about every ten seconds,
// whatever the update interval.
class TrimSchedule {
public:
    // One tick of `intervalMs`; true when the working set is due to be trimmed.
    bool CountTick(int32_t intervalMs);

private:
    uint64_t m_ticksSinceTrim = 0;
};

}  // namespace lumora
