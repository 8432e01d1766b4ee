#pragma once
// Lays out performance objects in the published Windows performance-data format: the bytes a
// provider's Collect appends, or a whole block as RegQueryValueExW(HKEY_PERFORMANCE_DATA)
// answers it. Counter definitions of an object are the union of (index, type, size) over its
// instances, in first-appearance order; an instance lacking one of them reads 0 there.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/perfsource/perf_model.h"

namespace lumora::perfsource {

// The clock stamped into every object (and the block header), which readers need to turn
// PERF_COUNTER_COUNTER values into rates.
struct PerfClock {
    int64_t perfTime = 0;
    int64_t perfFreq = 0;
};

// Bytes the objects take; nothing when some length would not fit the format's 32 bits.
std::optional<uint32_t> MeasureObjects(const std::vector<PerfObjectModel>& objects);

// Writes the objects at `out` when they fit in `capacity` bytes and answers the bytes written;
// nothing (and `out` untouched) when they don't. Padding is zero.
std::optional<uint32_t> WriteObjectsInto(const std::vector<PerfObjectModel>& objects, const PerfClock& clock,
                                         uint8_t* out, size_t capacity);

// The objects only. Empty when they cannot be represented (see MeasureObjects).
std::vector<uint8_t> WriteObjects(const std::vector<PerfObjectModel>& objects, const PerfClock& clock = {});

// A whole block: an 88-byte PERF_DATA_BLOCK without a system name, then the objects.
// Empty when the objects cannot be represented.
std::vector<uint8_t> WriteBlock(const std::vector<PerfObjectModel>& objects, int64_t perfTime100nSec,
                                const PerfClock& clock = {});

}  // namespace lumora::perfsource
