#pragma once
// What a performance provider answers, before it becomes bytes: objects, their instances and
// the counter values of each. The test counter source and the synthetic blocks of the unit
// tests and benchmarks are both built from this.

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::perfsource {

struct PerfCounterValue {
    uint32_t index = 0;  // counter name index
    uint32_t type = 0;   // counter type bits
    uint32_t size = 0;   // bytes of the value in the counter block
    uint64_t value = 0;  // only the low `size` bytes reach the block
};

struct PerfInstanceModel {
    std::u16string name;
    std::vector<PerfCounterValue> counters;
};

struct PerfObjectModel {
    uint32_t index = 0;                      // object name index
    bool noInstances = false;                // true: one counter block, `counters`, no instances
    std::vector<PerfCounterValue> counters;  // only when noInstances
    std::vector<PerfInstanceModel> instances;  // only when !noInstances
};

inline bool operator==(const PerfCounterValue& a, const PerfCounterValue& b) {
    return a.index == b.index && a.type == b.type && a.size == b.size && a.value == b.value;
}
inline bool operator==(const PerfInstanceModel& a, const PerfInstanceModel& b) {
    return a.name == b.name && a.counters == b.counters;
}
inline bool operator==(const PerfObjectModel& a, const PerfObjectModel& b) {
    return a.index == b.index && a.noInstances == b.noInstances && a.counters == b.counters &&
           a.instances == b.instances;
}

}  // namespace lumora::perfsource
