#include "app/update_tick.h"

namespace lumora {
namespace {

constexpr uint64_t kTrimPeriodMs = 10000;

}  // namespace

bool RunUpdateTick(TickLamps& lamps, TickOutputs* outputs) {
    if (outputs) outputs->BeginTick();
    // Taken for the first shown lamp: a snapshot is the tick's one real cost under Wine, and
    // with no lamp on screen nothing would read it.
    bool snapshotTaken = false;
    for (size_t i = 0; i < lamps.Count(); ++i) {
        if (!lamps.IsShown(i)) continue;
        if (!snapshotTaken) {
            if (!lamps.RefreshSnapshot()) {
                if (outputs) outputs->EndTick();
                return false;
            }
            snapshotTaken = true;
        }
        __performance_data* sampler = lamps.Sampler(i);
        if (!sampler || !sampler->BeforeUpdate()) continue;
        const ActivityState state = lamps.Update(i);
        sampler->AfterUpdate();
        if (outputs) outputs->AddActivity(state);
    }
    if (outputs) outputs->EndTick();
    return true;
}

bool TrimSchedule::CountTick(int32_t intervalMs) {
    const uint64_t elapsed = m_ticksSinceTrim * static_cast<uint64_t>(intervalMs > 0 ? intervalMs : 0);
    ++m_ticksSinceTrim;
    if (elapsed < kTrimPeriodMs) return false;
    m_ticksSinceTrim = 0;
    return true;
}

}  // namespace lumora
