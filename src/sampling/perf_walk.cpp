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

void CountSteps(SnapshotView block, uint64_t steps) {
    if (block.steps) *block.steps += steps;
}

// A count is believed only as far as entries of at least `entrySize` bytes fit from `start` on,
// so that no walk can take more steps than its bytes allow.
uint64_t Believable(uint64_t count, SnapshotView block, uint64_t start, size_t entrySize) {
    const uint64_t room = start < block.size ? (block.size - start) / entrySize : 0;
    return count < room ? count : room;
}

// Visits the objects; `visit(object view, position, object)` answers whether to go on. The
// object's view ends where its TotalByteLength does, so that the walks inside it cover each
// byte of the block for one object only.
template <typename Visit>
void ForEachObject(SnapshotView block, Visit&& visit) {
    DataBlock header;
    if (!ReadAt(block, 0, header)) return;
    uint64_t position = header.headerLength;
    const uint64_t count = Believable(header.numObjectTypes, block, position, sizeof(ObjectType));
    for (uint64_t i = 0; i < count; ++i) {
        ObjectType object;
        if (!ReadAt(block, position, object)) return;
        CountSteps(block, 1);
        const uint64_t end = position + object.totalByteLength;
        const SnapshotView inside{block.data, end < block.size ? static_cast<size_t>(end) : block.size, block.steps};
        if (!visit(inside, position, object)) return;
        if (object.totalByteLength == 0) return;
        position = end;
    }
}

template <typename Visit>
void ForEachDefinition(SnapshotView object, uint64_t objectPosition, const ObjectType& header, Visit&& visit) {
    uint64_t position = objectPosition + header.headerLength;
    const uint64_t count = Believable(header.numCounters, object, position, sizeof(CounterDefinition));
    for (uint64_t i = 0; i < count; ++i) {
        CounterDefinition definition;
        if (!ReadAt(object, position, definition)) return;
        CountSteps(object, 1);
        if (!visit(position, definition)) return;
        if (definition.byteLength == 0) return;
        position += definition.byteLength;
    }
}

// `visit(position, instance, counterBlockPosition, counterBlock)`; an instance whose counter
// block cannot be read is visited with a null counter block and ends the walk, since the next
// instance cannot be found either.
template <typename Visit>
void ForEachInstance(SnapshotView object, uint64_t objectPosition, const ObjectType& header, Visit&& visit) {
    if (header.numInstances <= 0) return;
    uint64_t position = objectPosition + header.definitionLength;
    const uint64_t count = Believable(static_cast<uint64_t>(header.numInstances), object, position,
                                      sizeof(InstanceDefinition) + sizeof(CounterBlock));
    for (uint64_t i = 0; i < count; ++i) {
        InstanceDefinition instance;
        if (!ReadAt(object, position, instance)) return;
        CountSteps(object, 1);
        const uint64_t counterBlockPosition = position + instance.byteLength;
        CounterBlock counterBlock;
        if (!ReadAt(object, counterBlockPosition, counterBlock)) {
            visit(position, instance, counterBlockPosition, static_cast<const CounterBlock*>(nullptr));
            return;
        }
        if (!visit(position, instance, counterBlockPosition, &counterBlock)) return;
        const uint64_t next = counterBlockPosition + counterBlock.byteLength;
        if (next == position) return;
        position = next;
    }
}

// The name's units inside its instance (before the instance's counter block), up to its NUL,
// that end or kMaxInstanceNameUnits. Not readable (false) when not even one unit fits there.
struct NameSpan {
    uint64_t offset = 0;
    size_t units = 0;
    uint64_t room = 0;  // units between the name's start and the end of its instance
};

bool FindName(SnapshotView object, uint64_t instancePosition, const InstanceDefinition& instance, NameSpan& name) {
    const uint64_t start = instancePosition + instance.nameOffset;
    const uint64_t instanceEnd = instancePosition + instance.byteLength;
    const uint64_t end = instanceEnd < object.size ? instanceEnd : object.size;
    if (start > end || end - start < sizeof(char16_t)) return false;
    const uint64_t room = (end - start) / sizeof(char16_t);
    const size_t limit = room < kMaxInstanceNameUnits ? static_cast<size_t>(room) : kMaxInstanceNameUnits;
    size_t units = 0;
    while (units < limit) {
        char16_t unit;
        std::memcpy(&unit, object.data + start + units * sizeof(char16_t), sizeof(unit));
        if (unit == 0) break;
        ++units;
    }
    CountSteps(object, units + 1);
    name = {start, units, room};
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

bool FindFirstObject(SnapshotView block, uint32_t objectIndex, SnapshotView& inside, uint64_t& position,
                     ObjectType& found) {
    bool have = false;
    ForEachObject(block, [&](SnapshotView object, uint64_t objectPosition, const ObjectType& header) {
        if (header.objectNameTitleIndex != objectIndex) return true;
        inside = object;
        position = objectPosition;
        found = header;
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
    ForEachObject(block, [&](SnapshotView object, uint64_t objectPosition, const ObjectType& header) {
        if (header.objectNameTitleIndex != objectIndex || header.numInstances <= 0) return true;
        CounterDefinition counter{};
        bool haveCounter = false;
        ForEachDefinition(object, objectPosition, header, [&](uint64_t, const CounterDefinition& definition) {
            if (definition.counterNameTitleIndex == counterIndex && definition.counterType == counterType &&
                (definition.counterSize == 4 || definition.counterSize == 8)) {
                counter = definition;
                haveCounter = true;
                return false;
            }
            return true;
        });
        if (!haveCounter) return true;
        ForEachInstance(object, objectPosition, header,
                        [&](uint64_t position, const InstanceDefinition& instance, uint64_t counterBlock,
                            const CounterBlock* readable) {
                            NameSpan name;
                            if (!readable || !FindName(object, position, instance, name) ||
                                !NameMatches(object, name, selector)) {
                                return true;
                            }
                            const uint64_t at = counterBlock + counter.counterOffset;
                            if (at > object.size || object.size - at < counter.counterSize) return true;
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
    SnapshotView object;
    uint64_t position;
    ObjectType header;
    if (!FindFirstObject(block, objectIndex, object, position, header)) return 0;
    return header.numInstances > 0 ? static_cast<uint32_t>(header.numInstances) : 1;
}

uint32_t CollectInstanceNames(SnapshotView block, uint32_t objectIndex, std::vector<std::u16string>& names) {
    SnapshotView object;
    uint64_t objectPosition;
    ObjectType header;
    if (!FindFirstObject(block, objectIndex, object, objectPosition, header)) return 0;
    if (header.numInstances <= 0) return 1;
    uint32_t appended = 0;
    ForEachInstance(object, objectPosition, header,
                    [&](uint64_t position, const InstanceDefinition& instance, uint64_t, const CounterBlock* readable) {
                        NameSpan name;
                        if (readable && FindName(object, position, instance, name)) {
                            std::u16string text(name.units, u'\0');
                            if (name.units) {
                                std::memcpy(text.data(), object.data + name.offset, name.units * sizeof(char16_t));
                            }
                            names.push_back(std::move(text));
                            ++appended;
                        }
                        return true;
                    });
    return appended;
}

bool SameLayout(SnapshotView current, SnapshotView previous) {
    if (current.size != previous.size || (current.size && !previous.data)) return false;
    if (current.size == 0) return true;
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
    ForEachObject(current, [&](SnapshotView object, uint64_t objectPosition, const ObjectType& objectHeader) {
        equal = same(objectPosition, kObjectLayout);
        if (!equal) return false;
        ForEachDefinition(object, objectPosition, objectHeader, [&](uint64_t position, const CounterDefinition&) {
            equal = same(position, sizeof(CounterDefinition));
            return equal;
        });
        if (!equal) return false;
        ForEachInstance(object, objectPosition, objectHeader,
                        [&](uint64_t position, const InstanceDefinition& instance, uint64_t counterBlock,
                            const CounterBlock* readable) {
                            // Compared even when its counter block lies outside: its length
                            // decided that.
                            equal = same(position, sizeof(InstanceDefinition)) &&
                                    (!readable || same(counterBlock, sizeof(CounterBlock)));
                            NameSpan name;
                            if (equal && FindName(object, position, instance, name)) {
                                // The unit that ended the name (its NUL) decides its length too.
                                const uint64_t units = name.units + 1 < name.room ? name.units + 1 : name.room;
                                equal = same(name.offset, static_cast<size_t>(units) * sizeof(char16_t));
                            }
                            return equal;
                        });
        return equal;
    });
    return equal;
}

}  // namespace lumora::perf
