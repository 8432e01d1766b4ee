#include "sampling/perf_walk.h"

#include <cstring>

#include "sampling/perf_data_format.h"

namespace lumora::perf {
namespace {

template <typename T>
bool ReadAt(SnapshotView block, uint64_t offset, T& out) {
    if (offset > block.size || block.size - offset < sizeof(T)) return false;
    std::memcpy(&out, block.data + offset, sizeof(T));
    return true;
}

// Visits the objects; `visit(position, object)` answers whether to go on.
template <typename Visit>
void ForEachObject(SnapshotView block, Visit&& visit) {
    DataBlock header;
    if (!ReadAt(block, 0, header)) return;
    uint64_t position = header.headerLength;
    for (uint32_t i = 0; i < header.numObjectTypes; ++i) {
        ObjectType object;
        if (!ReadAt(block, position, object)) return;
        if (!visit(position, object)) return;
        if (object.totalByteLength == 0) return;
        position += object.totalByteLength;
    }
}

template <typename Visit>
void ForEachDefinition(SnapshotView block, uint64_t objectPosition, const ObjectType& object, Visit&& visit) {
    uint64_t position = objectPosition + object.headerLength;
    for (uint32_t i = 0; i < object.numCounters; ++i) {
        CounterDefinition definition;
        if (!ReadAt(block, position, definition)) return;
        if (!visit(position, definition)) return;
        if (definition.byteLength == 0) return;
        position += definition.byteLength;
    }
}

// `visit(position, instance, counterBlockPosition, counterBlock)`; an instance whose counter
// block cannot be read is visited with a null counter block and ends the walk, since the next
// instance cannot be found either.
template <typename Visit>
void ForEachInstance(SnapshotView block, uint64_t objectPosition, const ObjectType& object, Visit&& visit) {
    if (object.numInstances <= 0) return;
    uint64_t position = objectPosition + object.definitionLength;
    for (int32_t i = 0; i < object.numInstances; ++i) {
        InstanceDefinition instance;
        if (!ReadAt(block, position, instance)) return;
        const uint64_t counterBlockPosition = position + instance.byteLength;
        CounterBlock counterBlock;
        if (!ReadAt(block, counterBlockPosition, counterBlock)) {
            visit(position, instance, counterBlockPosition, static_cast<const CounterBlock*>(nullptr));
            return;
        }
        if (!visit(position, instance, counterBlockPosition, &counterBlock)) return;
        const uint64_t next = counterBlockPosition + counterBlock.byteLength;
        if (next == position) return;
        position = next;
    }
}

// The name's units in the block, up to its NUL, the block's end or kMaxInstanceNameUnits.
// Not readable (false) when not even one unit lies inside the block.
struct NameSpan {
    uint64_t offset = 0;
    size_t units = 0;
};

bool FindName(SnapshotView block, uint64_t instancePosition, const InstanceDefinition& instance, NameSpan& name) {
    const uint64_t start = instancePosition + instance.nameOffset;
    if (start > block.size || block.size - start < sizeof(char16_t)) return false;
    const uint64_t available = (block.size - start) / sizeof(char16_t);
    const size_t limit = available < kMaxInstanceNameUnits ? static_cast<size_t>(available) : kMaxInstanceNameUnits;
    size_t units = 0;
    while (units < limit) {
        char16_t unit;
        std::memcpy(&unit, block.data + start + units * sizeof(char16_t), sizeof(unit));
        if (unit == 0) break;
        ++units;
    }
    name = {start, units};
    return true;
}

char16_t NameUnit(SnapshotView block, const NameSpan& name, size_t index) {
    char16_t unit;
    std::memcpy(&unit, block.data + name.offset + index * sizeof(char16_t), sizeof(unit));
    return unit;
}

bool StartsWith(SnapshotView block, const NameSpan& name, std::u16string_view text) {
    if (name.units < text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (NameUnit(block, name, i) != text[i]) return false;
    }
    return true;
}

bool NameMatches(SnapshotView block, const NameSpan& name, const InstanceSelector& selector) {
    if (!StartsWith(block, name, selector.text)) return false;
    switch (selector.match) {
    case NameMatch::prefix:
        return true;
    case NameMatch::whole:
        return name.units == selector.text.size();
    case NameMatch::driveNumber:
        return name.units == selector.text.size() || NameUnit(block, name, selector.text.size()) == u' ';
    }
    return false;
}

bool FindFirstObject(SnapshotView block, uint32_t objectIndex, uint64_t& position, ObjectType& found) {
    bool have = false;
    ForEachObject(block, [&](uint64_t objectPosition, const ObjectType& object) {
        if (object.objectNameTitleIndex != objectIndex) return true;
        position = objectPosition;
        found = object;
        have = true;
        return false;
    });
    return have;
}

}  // namespace

uint64_t ReadPerfTime100nSec(SnapshotView block) {
    DataBlock header;
    if (!ReadAt(block, 0, header)) return 0;
    return static_cast<uint64_t>(header.perfTime100nSec);
}

CounterPosition FindCounter(SnapshotView block, uint32_t objectIndex, const InstanceSelector& selector,
                            uint32_t counterIndex, uint32_t counterType) {
    CounterPosition result;
    ForEachObject(block, [&](uint64_t objectPosition, const ObjectType& object) {
        if (object.objectNameTitleIndex != objectIndex || object.numInstances <= 0) return true;
        CounterDefinition counter{};
        bool haveCounter = false;
        ForEachDefinition(block, objectPosition, object, [&](uint64_t, const CounterDefinition& definition) {
            if (definition.counterNameTitleIndex == counterIndex && definition.counterType == counterType &&
                (definition.counterSize == 4 || definition.counterSize == 8)) {
                counter = definition;
                haveCounter = true;
                return false;
            }
            return true;
        });
        if (!haveCounter) return true;
        ForEachInstance(block, objectPosition, object,
                        [&](uint64_t position, const InstanceDefinition& instance, uint64_t counterBlock,
                            const CounterBlock* readable) {
                            NameSpan name;
                            if (!readable || !FindName(block, position, instance, name) ||
                                !NameMatches(block, name, selector)) {
                                return true;
                            }
                            const uint64_t at = counterBlock + counter.counterOffset;
                            if (at > block.size || block.size - at < counter.counterSize) return true;
                            result = {static_cast<uint32_t>(at), counter.counterSize};
                            return false;
                        });
        return result.size == 0;
    });
    return result;
}

uint64_t ReadCounter(SnapshotView block, CounterPosition position) {
    if (position.size == 8) {
        uint64_t value;
        if (ReadAt(block, position.offset, value)) return value;
    } else if (position.size == 4) {
        uint32_t value;
        if (ReadAt(block, position.offset, value)) return value;
    }
    return 0;
}

uint32_t CountInstances(SnapshotView block, uint32_t objectIndex) {
    uint64_t position;
    ObjectType object;
    if (!FindFirstObject(block, objectIndex, position, object)) return 0;
    return object.numInstances > 0 ? static_cast<uint32_t>(object.numInstances) : 1;
}

uint32_t CollectInstanceNames(SnapshotView block, uint32_t objectIndex, std::vector<std::u16string>& names) {
    uint64_t objectPosition;
    ObjectType object;
    if (!FindFirstObject(block, objectIndex, objectPosition, object)) return 0;
    if (object.numInstances <= 0) return 1;
    uint32_t appended = 0;
    ForEachInstance(block, objectPosition, object,
                    [&](uint64_t position, const InstanceDefinition& instance, uint64_t, const CounterBlock* readable) {
                        NameSpan name;
                        if (readable && FindName(block, position, instance, name)) {
                            std::u16string text(name.units, u'\0');
                            if (name.units) std::memcpy(text.data(), block.data + name.offset, name.units * sizeof(char16_t));
                            names.push_back(std::move(text));
                            ++appended;
                        }
                        return true;
                    });
    return appended;
}

bool SameLayout(SnapshotView current, SnapshotView previous) {
    if (current.size != previous.size || (current.size && !previous.data)) return false;
    // Everything below lies inside `current`, which has the size of `previous`.
    auto same = [&](uint64_t offset, size_t length) {
        return std::memcmp(current.data + offset, previous.data + offset, length) == 0;
    };
    DataBlock header;
    if (!ReadAt(current, 0, header)) return same(0, current.size);
    if (!same(offsetof(DataBlock, headerLength), 2 * sizeof(uint32_t))) return false;
    // Of an object, the fields through its instance count; its clock changes every time.
    constexpr size_t kObjectLayout = offsetof(ObjectType, numInstances) + sizeof(int32_t);
    bool equal = true;
    ForEachObject(current, [&](uint64_t objectPosition, const ObjectType& object) {
        equal = same(objectPosition, kObjectLayout);
        if (!equal) return false;
        ForEachDefinition(current, objectPosition, object, [&](uint64_t position, const CounterDefinition&) {
            equal = same(position, sizeof(CounterDefinition));
            return equal;
        });
        if (!equal) return false;
        ForEachInstance(current, objectPosition, object,
                        [&](uint64_t position, const InstanceDefinition& instance, uint64_t counterBlock,
                            const CounterBlock* readable) {
                            // Compared even when its counter block lies outside: its length
                            // decided that.
                            equal = same(position, sizeof(InstanceDefinition)) &&
                                    (!readable || same(counterBlock, sizeof(CounterBlock)));
                            NameSpan name;
                            if (equal && FindName(current, position, instance, name)) {
                                // The unit that ended the name (its NUL) decides its length too.
                                const uint64_t available = (current.size - name.offset) / sizeof(char16_t);
                                const uint64_t units = name.units + 1 < available ? name.units + 1 : available;
                                equal = same(name.offset, static_cast<size_t>(units) * sizeof(char16_t));
                            }
                            return equal;
                        });
        return equal;
    });
    return equal;
}

}  // namespace lumora::perf
