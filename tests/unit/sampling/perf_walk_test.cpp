#include "sampling/perf_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "sampling/perf_data_format.h"
#include "unit/sampling/sampling_fakes.h"

namespace lumora::perf {
namespace {

using perfsource::PerfInstanceModel;
using perfsource::PerfObjectModel;
using perfsource::WriteBlock;
using testing::kBulkType;
using testing::kCountType;
using testing::kQueueType;

SnapshotView View(const std::vector<uint8_t>& block) { return {block.data(), block.size()}; }

uint64_t Lookup(const std::vector<uint8_t>& block, uint32_t object, std::u16string_view name, uint32_t counter,
                uint32_t type, NameMatch match = NameMatch::prefix) {
    const SnapshotView view = View(block);
    return ReadCounter(view, FindCounter(view, object, {name, match}, counter, type));
}

template <typename T>
void Patch(std::vector<uint8_t>& block, size_t offset, const std::function<void(T&)>& change) {
    T value;
    std::memcpy(&value, block.data() + offset, sizeof(T));
    change(value);
    std::memcpy(block.data() + offset, &value, sizeof(T));
}

// Offsets of a well-formed block as the writer lays it out.
size_t FirstObject(const std::vector<uint8_t>& block) {
    DataBlock header;
    std::memcpy(&header, block.data(), sizeof(header));
    return header.headerLength;
}
ObjectType ObjectAt(const std::vector<uint8_t>& block, size_t offset) {
    ObjectType object;
    std::memcpy(&object, block.data() + offset, sizeof(object));
    return object;
}
size_t FirstInstance(const std::vector<uint8_t>& block, size_t object) {
    return object + ObjectAt(block, object).definitionLength;
}

const std::vector<uint8_t> kDisks = WriteBlock(
    {{234, false, {}, {{u"0 D: E:", {{1400, kQueueType, 8, 100}, {214, kCountType, 4, 0xFFFFFFF0}}},
                       {u"10 F:", {{1400, kQueueType, 8, 110}, {214, kCountType, 4, 11}}},
                       {u"1", {{1400, kQueueType, 8, 101}}},
                       {u"_Total", {{1400, kQueueType, 8, 311}}}}},
     {236, false, {}, {{u"HarddiskVolume10", {{1400, kQueueType, 8, 510}}},
                       {u"HarddiskVolume1", {{1400, kQueueType, 8, 501}}},
                       {u"D:", {{1400, kQueueType, 8, 4}}},
                       {u"_Total", {{1400, kQueueType, 8, 1015}}}}}},
    123456789);

TEST(PerfWalk, FindsTheFirstInstanceThatMatchesAsAsked) {
    struct Case {
        uint32_t object;
        std::u16string_view name;
        NameMatch match;
        uint64_t expected;
    };
    const Case cases[] = {
        {234, u"0 ", NameMatch::prefix, 100},   // "0 D: E:", not "10 F:"
        {234, u"1", NameMatch::prefix, 110},    // a bare prefix meets "10 F:" first
        {234, u"", NameMatch::prefix, 100},     // the empty name takes the first instance
        {234, u"_Total", NameMatch::prefix, 311},
        {236, u"D:", NameMatch::prefix, 4},
        {234, u"0", NameMatch::driveNumber, 100},
        {234, u"1", NameMatch::driveNumber, 101},  // the disk without volumes
        {234, u"10", NameMatch::driveNumber, 110},
        {234, u"2", NameMatch::driveNumber, 0},
        {236, u"HarddiskVolume1", NameMatch::whole, 501},
        {236, u"HarddiskVolume1", NameMatch::prefix, 510},
        {236, u"H", NameMatch::whole, 0},
        {235, u"", NameMatch::prefix, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Lookup(kDisks, c.object, c.name, 1400, kQueueType, c.match), c.expected)
            << "object " << c.object << " name " << std::string(c.name.begin(), c.name.end());
    }
    EXPECT_EQ(Lookup(kDisks, 234, u"0 ", 214, kCountType), 0xFFFFFFF0u) << "32-bit values are zero-extended";
    EXPECT_EQ(Lookup(kDisks, 234, u"0 ", 214, kQueueType), 0u) << "the type must match too";
    EXPECT_EQ(ReadPerfTime100nSec(View(kDisks)), 123456789u);
}

TEST(PerfWalk, CountsAndNamesInstances) {
    std::vector<std::u16string> names;
    EXPECT_EQ(CollectInstanceNames(View(kDisks), 236, names), 4u);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"HarddiskVolume10", u"HarddiskVolume1", u"D:", u"_Total"}));
    EXPECT_EQ(CountInstances(View(kDisks), 234), 4u);
    EXPECT_EQ(CountInstances(View(kDisks), 238), 0u);

    const auto noInstances = WriteBlock({{234, true, {{1400, kQueueType, 8, 9}}, {}}}, 0);
    names.clear();
    EXPECT_EQ(CountInstances(View(noInstances), 234), 1u);
    EXPECT_EQ(CollectInstanceNames(View(noInstances), 234, names), 1u);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(Lookup(noInstances, 234, u"", 1400, kQueueType), 0u) << "an object without instances is passed over";
}

TEST(PerfWalk, PassesOverCountersOfOtherSizesAndMovesToTheNextObject) {
    auto block = WriteBlock({{234, false, {}, {{u"0 C:", {{1400, kQueueType, 8, 7}}}}},
                             {234, false, {}, {{u"0 C:", {{214, kCountType, 4, 8}, {1400, kQueueType, 8, 9}}}}}},
                            0);
    EXPECT_EQ(Lookup(block, 234, u"0 ", 214, kCountType), 8u) << "the first object has no such counter";
    // Give the first object's only definition a size of 2: it no longer counts.
    const size_t object = FirstObject(block);
    Patch<CounterDefinition>(block, object + ObjectAt(block, object).headerLength,
                             [](CounterDefinition& d) { d.counterSize = 2; });
    EXPECT_EQ(Lookup(block, 234, u"0 ", 1400, kQueueType), 9u);
}

// Every hostile change must end in an answer (0 or the real value), never a read outside the block.
TEST(PerfWalk, HostileBlocksEndTheWalkInsideTheData) {
    const size_t object = FirstObject(kDisks);
    const size_t instance = FirstInstance(kDisks, object);
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
        uint64_t expected;  // for "_Total" of object 236
    };
    const Case cases[] = {
        {"object count far beyond the data", [](auto& b) { Patch<DataBlock>(b, 0, [](DataBlock& h) { h.numObjectTypes = 0xFFFFFFFF; }); }, 1015},
        {"first object past the end", [](auto& b) { Patch<DataBlock>(b, 0, [](DataBlock& h) { h.headerLength = 0xFFFFFFF0; }); }, 0},
        {"object step of zero", [object](auto& b) { Patch<ObjectType>(b, object, [](ObjectType& o) { o.totalByteLength = 0; }); }, 0},
        {"object step past the end", [object](auto& b) { Patch<ObjectType>(b, object, [](ObjectType& o) { o.totalByteLength = 0x7FFFFFFF; }); }, 0},
        {"instances past the end", [object](auto& b) { Patch<ObjectType>(b, object, [](ObjectType& o) { o.definitionLength = 0xFFFFFF00; }); }, 1015},
        {"huge instance count", [object](auto& b) { Patch<ObjectType>(b, object, [](ObjectType& o) { o.numInstances = 0x7FFFFFFF; }); }, 1015},
        {"huge counter count", [object](auto& b) { Patch<ObjectType>(b, object, [](ObjectType& o) { o.numCounters = 0xFFFFFFFF; }); }, 1015},
        {"instance and counter block steps of zero", [instance](auto& b) {
             Patch<InstanceDefinition>(b, instance, [](InstanceDefinition& i) { i.byteLength = 0; });
             Patch<CounterBlock>(b, instance, [](CounterBlock& c) { c.byteLength = 0; });
         }, 1015},
        {"counter block past the end", [instance](auto& b) { Patch<InstanceDefinition>(b, instance, [](InstanceDefinition& i) { i.byteLength = 0xFFFFFF00; }); }, 1015},
        {"name offset past the end", [instance](auto& b) { Patch<InstanceDefinition>(b, instance, [](InstanceDefinition& i) { i.nameOffset = 0xFFFFFFF0; }); }, 1015},
    };
    for (const Case& c : cases) {
        auto block = kDisks;
        c.change(block);
        EXPECT_EQ(Lookup(block, 236, u"_Total", 1400, kQueueType), c.expected) << c.what;
        std::vector<std::u16string> names;
        CollectInstanceNames(View(block), 234, names);
        EXPECT_LE(names.size(), 4u) << c.what;
        EXPECT_FALSE(SameLayout(View(block), View(kDisks))) << c.what;
        EXPECT_TRUE(SameLayout(View(block), View(block))) << c.what;
    }
}

TEST(PerfWalk, TruncatedBlocksAnswerOnlyWhatLiesInside) {
    const uint64_t whole = Lookup(kDisks, 236, u"_Total", 1400, kQueueType);
    for (size_t size = 0; size < kDisks.size(); ++size) {
        const SnapshotView view{kDisks.data(), size};
        const CounterPosition position = FindCounter(view, 236, {u"_Total", NameMatch::prefix}, 1400, kQueueType);
        if (position.size) {
            EXPECT_LE(position.offset + position.size, size);
            EXPECT_EQ(ReadCounter(view, position), whole);
        }
        std::vector<std::u16string> names;
        CollectInstanceNames(view, 236, names);
        for (const auto& name : names) EXPECT_LE(name.size() * 2, size);
    }
}

TEST(PerfWalk, ANameWithoutItsNulEndsAtTheBlock) {
    auto block = WriteBlock({{236, false, {}, {{u"C:", {{1400, kQueueType, 8, 3}}}}}}, 0);
    const size_t instance = FirstInstance(block, FirstObject(block));
    InstanceDefinition definition;
    std::memcpy(&definition, block.data() + instance, sizeof(definition));
    // A last unit that is not a NUL, with the name pointing at it.
    block.push_back('Z');
    block.push_back(0);
    Patch<InstanceDefinition>(block, instance, [&](InstanceDefinition& i) {
        i.nameOffset = static_cast<uint32_t>(block.size() - 2 - instance);
    });
    std::vector<std::u16string> names;
    CollectInstanceNames(View(block), 236, names);
    EXPECT_EQ(names, std::vector<std::u16string>{u"Z"});
    EXPECT_EQ(Lookup(block, 236, u"Z", 1400, kQueueType), 3u);
    EXPECT_EQ(Lookup(block, 236, u"Z:", 1400, kQueueType), 0u);
}

TEST(PerfWalk, LayoutIgnoresValuesButSeesNamesAndStructure) {
    auto disk = [](std::u16string name, uint64_t queue, uint32_t counterSize = 8) {
        return WriteBlock({{236, false, {}, {{std::move(name), {{1400, kQueueType, counterSize, queue}}}}}},
                          static_cast<int64_t>(queue));
    };
    const auto base = disk(u"C:", 1);
    EXPECT_TRUE(SameLayout(View(base), View(disk(u"C:", 999))));
    EXPECT_FALSE(SameLayout(View(base), View(disk(u"D:", 1))));
    EXPECT_FALSE(SameLayout(View(base), View(disk(u"C:", 1, 4))));
    EXPECT_FALSE(SameLayout(View(base), View(disk(u"C:x", 1))));
    EXPECT_FALSE(SameLayout(View(base), SnapshotView{}));

    // An instance whose counter block lies outside ends the walk; where it ended still counts.
    auto outside = [&](uint32_t length) {
        auto block = base;
        Patch<InstanceDefinition>(block, FirstInstance(block, FirstObject(block)),
                                  [length](InstanceDefinition& i) { i.byteLength = length; });
        return block;
    };
    EXPECT_FALSE(SameLayout(View(outside(0xFFFFFF00)), View(outside(0xFFFFFFF0))));
}

}  // namespace
}  // namespace lumora::perf
