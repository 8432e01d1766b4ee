#pragma once
// The walk over one performance-data block, as Windows answers HKEY_PERFORMANCE_DATA. The block
// is untrusted input: every offset, length and count is checked against the bytes actually
// returned, a step of zero ends that part of the walk (visiting the same entry again could not
// change the answer), and broken data reads as "not found".
//
// The walk runs on the GUI thread every tick, so its work must stay linear in the block's size
// whatever the block claims: an object's definitions, instances, names and values are looked
// for only inside the object's own TotalByteLength, an instance's name only inside the
// instance, and no count is believed beyond the entries its bytes can hold. A well-formed block
// keeps all of these inside anyway.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::perf {

struct SnapshotView {
    const uint8_t* data = nullptr;
    size_t size = 0;
    // When set, counts every entry visited and every name unit read: the work a walk did.
    uint64_t* steps = nullptr;
};

// How an instance name is compared with the text a sampler looks for.
enum class NameMatch : uint8_t {
    prefix,       // the name begins with the text
    whole,        // the name is the text
    driveNumber,  // the name is the text, or the text followed by a space and the volume letters
};

struct InstanceSelector {
    std::u16string_view text;
    NameMatch match = NameMatch::prefix;
};

// Where a counter's value lies in the block; size 0 means not found.
struct CounterPosition {
    uint32_t offset = 0;
    uint32_t size = 0;
};

// The longest instance name, in UTF-16 units, that is read from the data or looked for in it: a
// name buffer of 1,024 characters holds this many beside its terminating NUL. The walk cuts the
// names it reads and a sampler the name it looks for at the same length, so that a name cut on
// both sides still matches itself whole. Nothing the system publishes comes near it.
inline constexpr size_t kMaxInstanceNameUnits = 1023;

uint64_t ReadPerfTime100nSec(SnapshotView block);

// The first instance of an object with that index whose name matches, in which the object's
// first definition of that counter (index, type, and a size of 4 or 8) can be read; then the
// next instance, then the next object of the same index.
CounterPosition FindCounter(SnapshotView block, uint32_t objectIndex, const InstanceSelector& instance,
                            uint32_t counterIndex, uint32_t counterType);

uint64_t ReadCounter(SnapshotView block, CounterPosition position);

// The first object with that index: its instance count, 1 for an object without instances,
// 0 when there is no such object.
uint32_t CountInstances(SnapshotView block, uint32_t objectIndex);

// Appends the readable instance names of the first object with that index, in the order of the
// data, and answers how many it appended (1 and none for an object without instances).
uint32_t CollectInstanceNames(SnapshotView block, uint32_t objectIndex, std::vector<std::u16string>& names);

// Whether every lookup finds the same positions in both blocks: the same size, and the same bytes
// wherever a walk over `current` reads something other than counter values and time stamps.
bool SameLayout(SnapshotView current, SnapshotView previous);

}  // namespace lumora::perf
