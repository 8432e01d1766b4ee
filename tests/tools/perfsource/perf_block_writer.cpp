#include "tools/perfsource/perf_block_writer.h"

#include <cstring>
#include <limits>
#include <map>
#include <tuple>

#include "sampling/perf_data_format.h"

namespace lumora::perfsource {
namespace {

constexpr uint32_t kDetailNovice = 100;  // PERF_DETAIL_NOVICE: every reader shows it
constexpr int32_t kNoUniqueId = -1;      // PERF_NO_UNIQUE_ID: instances are known by name
constexpr uint64_t kMaxLength = std::numeric_limits<uint32_t>::max();

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Natural alignment of a value inside the counter block, so 8-byte counters can be read in place.
uint64_t ValueAlignment(uint32_t size) {
    if (size >= 8) return 8;
    if (size >= 4) return 4;
    if (size >= 2) return 2;
    return 1;
}

using DefinitionKey = std::tuple<uint32_t, uint32_t, uint32_t>;  // index, type, size

struct Definition {
    uint32_t index;
    uint32_t type;
    uint32_t size;
    uint32_t offset;
};

struct ObjectLayout {
    std::vector<Definition> definitions;
    std::map<DefinitionKey, size_t> slotOf;
    uint64_t counterBlockLength = 0;
    uint64_t totalLength = 0;
};

uint64_t NameBytes(const std::u16string& name) {
    return (static_cast<uint64_t>(name.size()) + 1) * sizeof(char16_t);
}

uint64_t InstanceHeaderLength(const std::u16string& name) {
    return AlignUp(sizeof(perf::InstanceDefinition) + NameBytes(name), 8);
}

void AddDefinitions(const std::vector<PerfCounterValue>& counters, ObjectLayout& layout) {
    for (const PerfCounterValue& counter : counters) {
        DefinitionKey key{counter.index, counter.type, counter.size};
        if (layout.slotOf.emplace(key, layout.definitions.size()).second) {
            layout.definitions.push_back({counter.index, counter.type, counter.size, 0});
        }
    }
}

// False when some offset or length would not fit in 32 bits.
bool LayOut(const PerfObjectModel& object, ObjectLayout& layout) {
    if (object.noInstances) {
        AddDefinitions(object.counters, layout);
    } else {
        for (const PerfInstanceModel& instance : object.instances) AddDefinitions(instance.counters, layout);
    }

    uint64_t cursor = sizeof(perf::CounterBlock);
    for (Definition& definition : layout.definitions) {
        cursor = AlignUp(cursor, ValueAlignment(definition.size));
        if (cursor > kMaxLength) return false;
        definition.offset = static_cast<uint32_t>(cursor);
        cursor += definition.size;
    }
    layout.counterBlockLength = AlignUp(cursor, 8);
    if (layout.counterBlockLength > kMaxLength) return false;

    uint64_t total = sizeof(perf::ObjectType) +
                     static_cast<uint64_t>(layout.definitions.size()) * sizeof(perf::CounterDefinition);
    if (object.noInstances) {
        total += layout.counterBlockLength;
    } else {
        for (const PerfInstanceModel& instance : object.instances) {
            total += InstanceHeaderLength(instance.name) + layout.counterBlockLength;
            if (total > kMaxLength) return false;
        }
    }
    layout.totalLength = total;
    return total <= kMaxLength;
}

bool LayOutAll(const std::vector<PerfObjectModel>& objects, std::vector<ObjectLayout>& layouts,
               uint64_t& total) {
    layouts.resize(objects.size());
    total = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (!LayOut(objects[i], layouts[i])) return false;
        total += layouts[i].totalLength;
        if (total > kMaxLength) return false;
    }
    return true;
}

template <typename Structure>
void Put(uint8_t* at, const Structure& structure) {
    std::memcpy(at, &structure, sizeof(structure));
}

void PutValue(uint8_t* at, uint32_t size, uint64_t value) {
    for (uint32_t i = 0; i < size && i < sizeof(value); ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The block is zeroed beforehand, so a counter the instance lacks reads 0.
void PutCounterBlock(uint8_t* at, const ObjectLayout& layout, const std::vector<PerfCounterValue>& counters) {
    Put(at, perf::CounterBlock{static_cast<uint32_t>(layout.counterBlockLength)});
    std::vector<bool> written(layout.definitions.size(), false);
    for (const PerfCounterValue& counter : counters) {
        auto found = layout.slotOf.find(DefinitionKey{counter.index, counter.type, counter.size});
        if (found == layout.slotOf.end()) continue;
        size_t slot = found->second;
        if (written[slot]) continue;  // a repeated counter: the first one stands
        written[slot] = true;
        PutValue(at + layout.definitions[slot].offset, counter.size, counter.value);
    }
}

uint8_t* PutObject(uint8_t* at, const PerfObjectModel& object, const ObjectLayout& layout, const PerfClock& clock) {
    const uint32_t definitionLength = static_cast<uint32_t>(
        sizeof(perf::ObjectType) + layout.definitions.size() * sizeof(perf::CounterDefinition));

    perf::ObjectType header{};
    header.totalByteLength = static_cast<uint32_t>(layout.totalLength);
    header.definitionLength = definitionLength;
    header.headerLength = sizeof(perf::ObjectType);
    header.objectNameTitleIndex = object.index;
    header.objectHelpTitleIndex = object.index + 1;
    header.detailLevel = kDetailNovice;
    header.numCounters = static_cast<uint32_t>(layout.definitions.size());
    header.defaultCounter = layout.definitions.empty() ? -1 : 0;
    header.numInstances = object.noInstances ? perf::kNoInstances : static_cast<int32_t>(object.instances.size());
    header.codePage = 0;  // 0: instance names are UTF-16
    header.perfTime = clock.perfTime;
    header.perfFreq = clock.perfFreq;
    Put(at, header);

    uint8_t* cursor = at + sizeof(perf::ObjectType);
    for (const Definition& definition : layout.definitions) {
        perf::CounterDefinition entry{};
        entry.byteLength = sizeof(perf::CounterDefinition);
        entry.counterNameTitleIndex = definition.index;
        entry.counterHelpTitleIndex = definition.index + 1;
        entry.detailLevel = kDetailNovice;
        entry.counterType = definition.type;
        entry.counterSize = definition.size;
        entry.counterOffset = definition.offset;
        Put(cursor, entry);
        cursor += sizeof(entry);
    }

    if (object.noInstances) {
        PutCounterBlock(cursor, layout, object.counters);
        return cursor + layout.counterBlockLength;
    }
    for (const PerfInstanceModel& instance : object.instances) {
        perf::InstanceDefinition entry{};
        entry.byteLength = static_cast<uint32_t>(InstanceHeaderLength(instance.name));
        entry.uniqueId = kNoUniqueId;
        entry.nameOffset = sizeof(perf::InstanceDefinition);
        entry.nameLength = static_cast<uint32_t>(NameBytes(instance.name));
        Put(cursor, entry);
        // The terminating NUL and the padding are already zero.
        std::memcpy(cursor + entry.nameOffset, instance.name.data(), instance.name.size() * sizeof(char16_t));
        cursor += entry.byteLength;
        PutCounterBlock(cursor, layout, instance.counters);
        cursor += layout.counterBlockLength;
    }
    return cursor;
}

}  // namespace

std::optional<uint32_t> MeasureObjects(const std::vector<PerfObjectModel>& objects) {
    std::vector<ObjectLayout> layouts;
    uint64_t total = 0;
    if (!LayOutAll(objects, layouts, total)) return std::nullopt;
    return static_cast<uint32_t>(total);
}

std::optional<uint32_t> WriteObjectsInto(const std::vector<PerfObjectModel>& objects, const PerfClock& clock,
                                         uint8_t* out, size_t capacity) {
    std::vector<ObjectLayout> layouts;
    uint64_t total = 0;
    if (!LayOutAll(objects, layouts, total) || total > capacity) return std::nullopt;
    if (total == 0) return 0u;

    std::memset(out, 0, static_cast<size_t>(total));
    uint8_t* cursor = out;
    for (size_t i = 0; i < objects.size(); ++i) cursor = PutObject(cursor, objects[i], layouts[i], clock);
    return static_cast<uint32_t>(total);
}

std::vector<uint8_t> WriteObjects(const std::vector<PerfObjectModel>& objects, const PerfClock& clock) {
    std::optional<uint32_t> length = MeasureObjects(objects);
    if (!length) return {};
    std::vector<uint8_t> bytes(*length);
    WriteObjectsInto(objects, clock, bytes.data(), bytes.size());
    return bytes;
}

std::vector<uint8_t> WriteBlock(const std::vector<PerfObjectModel>& objects, int64_t perfTime100nSec,
                                const PerfClock& clock) {
    std::optional<uint32_t> length = MeasureObjects(objects);
    if (!length || *length > kMaxLength - sizeof(perf::DataBlock)) return {};

    std::vector<uint8_t> bytes(sizeof(perf::DataBlock) + *length);
    perf::DataBlock header{};
    std::memcpy(header.signature, u"PERF", sizeof(header.signature));
    header.littleEndian = 1;
    header.version = 1;   // PERF_DATA_VERSION
    header.revision = 1;  // PERF_DATA_REVISION
    header.totalByteLength = static_cast<uint32_t>(bytes.size());
    header.headerLength = sizeof(perf::DataBlock);
    header.numObjectTypes = static_cast<uint32_t>(objects.size());
    header.perfTime = clock.perfTime;
    header.perfFreq = clock.perfFreq;
    header.perfTime100nSec = perfTime100nSec;
    header.systemNameOffset = sizeof(perf::DataBlock);  // an empty name where one would start
    Put(bytes.data(), header);
    WriteObjectsInto(objects, clock, bytes.data() + sizeof(perf::DataBlock), *length);
    return bytes;
}

}  // namespace lumora::perfsource
