#pragma once
// Whether the system's disk counters can find and measure the disks, and what the user can do
// when they cannot: they may be switched off, never registered, or corrupt.

#include <string>
#include <string_view>
#include <vector>

namespace lumora {

class RegistryAccess;

enum class CounterHealth {
    usable,
    switchedOff,  // "Disable Performance Counters" is set for the disk counters
    broken,       // the query fails, or the disk objects or the drives' total are missing
};

struct CounterCheck {
    CounterHealth health = CounterHealth::broken;
    // The instance names of one snapshot, in the order of the data.
    std::vector<std::u16string> physicalNames;
    std::vector<std::u16string> logicalNames;
};

// One snapshot decides: the counters are usable when they are not switched off and the data
// has a drive, the drives' "_Total" and a logical disk.
CounterCheck CheckDiskCounters(RegistryAccess& registry);

// The last line of the statistics of a device that the disk driver measures because of
// `health`: why, and the command that repairs it. Empty while the counters are usable.
std::u16string_view CounterRepairAdvice(CounterHealth health);

}  // namespace lumora
