#include "sampling/perf_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "unit/sampling/sampling_fakes.h"

namespace lumora::perf {
namespace {

using perfsource::WriteBlock;
using testing::kCountType;
using testing::kQueueType;

SnapshotView View(const std::vector<uint8_t>& block, uint64_t* steps = nullptr) {
    return {block.data(), block.size(), steps};
}

uint64_t Lookup(const std::vector<uint8_t>& block, uint32_t object, std::u16string_view name, uint32_t counter,
                uint32_t type, NameMatch match = NameMatch::prefix) {
    return ReadCounter(View(block), FindCounter(View(block), object, {name, match}, counter, type));
}

// Where the writer puts the first object and that object's first instance.
constexpr size_t kFirstObject = sizeof(DataBlock);
size_t FirstInstance(const std::vector<uint8_t>& block) {
    ObjectType object;
    std::memcpy(&object, block.data() + kFirstObject, sizeof(object));
    return kFirstObject + object.definitionLength;
}

const std::vector<uint8_t> kDisks = WriteBlock(
    {{234, false, {}, {{u"0 D: E:", {{1400, kQueueType, 8, 100}, {214, kCountType, 4, 0xFFFFFFF0}}},
                       {u"10 F:", {{1400, kQueueType, 8, 110}, {214, kCountType, 4, 11}}},
                       {u"1", {{1400, kQueueType, 8, 101}}},
                       {u"_Total", {{1400, kQueueType, 8, 311}}}}},
     {236, false, {}, {{u"D:", {{1400, kQueueType, 8, 4}}}, {u"_Total", {{1400, kQueueType, 8, 1015}}}}},
     {234, false, {}, {{u"3", {{216, kCountType, 4, 33}, {1400, kQueueType, 2, 5}}}}}},
    123456789);

TEST(PerfWalk, FindsTheFirstInstanceThatMatchesAsAskedAndNamesTheInstances) {
    const std::tuple<uint32_t, std::u16string_view, NameMatch, uint64_t> cases[] = {  // object, name, match, value
        {234, u"0 ", NameMatch::prefix, 100},     // "0 D: E:", not "10 F:"
        {234, u"1", NameMatch::prefix, 110},      // a bare prefix meets "10 F:" first
        {234, u"", NameMatch::prefix, 100},       // the empty name takes the first instance
        {234, u"3", NameMatch::prefix, 0},        // its only definition has a size of 2
        {234, u"_Total", NameMatch::prefix, 311}, {236, u"D:", NameMatch::prefix, 4},
        {234, u"0", NameMatch::driveNumber, 100}, {234, u"1", NameMatch::driveNumber, 101},
        {234, u"10", NameMatch::driveNumber, 110}, {234, u"2", NameMatch::driveNumber, 0},
        {234, u"10 F:", NameMatch::whole, 110}, {234, u"10 F", NameMatch::whole, 0}, {235, u"", NameMatch::prefix, 0},
    };
    for (const auto& [object, name, match, expected] : cases) {
        EXPECT_EQ(Lookup(kDisks, object, name, 1400, kQueueType, match), expected)
            << "object " << object << " name " << std::string(name.begin(), name.end());
    }
    EXPECT_EQ(Lookup(kDisks, 234, u"0 ", 214, kCountType), 0xFFFFFFF0u) << "32-bit values are zero-extended";
    EXPECT_EQ(Lookup(kDisks, 234, u"0 ", 214, kQueueType), 0u) << "the type must match too";
    EXPECT_EQ(Lookup(kDisks, 234, u"3", 216, kCountType), 33u) << "the next object of the index has it";

    const auto noInstances = WriteBlock({{234, true, {{1400, kQueueType, 8, 9}}, {}}}, 0);
    std::vector<std::u16string> names;
    EXPECT_EQ(CollectInstanceNames(View(noInstances), 234, names), 1u);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(Lookup(noInstances, 234, u"", 1400, kQueueType), 0u) << "an object without instances is passed over";

    // "C:" lies in a 32-byte instance: a name without its NUL ends with the instance.
    auto block = WriteBlock({{236, false, {}, {{u"C:", {{1400, kQueueType, 8, 3}}}}}}, 0);
    std::memcpy(block.data() + FirstInstance(block) + 28, u"ZZ", 4);
    names.clear();
    CollectInstanceNames(View(block), 236, names);
    EXPECT_EQ(names, std::vector<std::u16string>{u"C:ZZ"}) << "not run on into the counter block";
    EXPECT_EQ(Lookup(block, 236, u"C:ZZ", 1400, kQueueType, NameMatch::whole), 3u);
}

// Every hostile change must end in an answer (0 or the real value), never a read outside the block.
// Blocks cut short anywhere are the performance snapshot fuzzer's.
TEST(PerfWalk, HostileBlocksEndTheWalkInsideTheDataAfterWorkLinearInItsSize) {
    const size_t object = kFirstObject, instance = FirstInstance(kDisks);
    const std::tuple<size_t, uint32_t, uint64_t> cases[] = {  // a 32-bit field, its new value, and "_Total" of 236
        {offsetof(DataBlock, numObjectTypes), 0xFFFFFFFF, 1015},
        {offsetof(DataBlock, headerLength), 0xFFFFFFF0, 0},
        {object + offsetof(ObjectType, totalByteLength), 0, 0},
        {object + offsetof(ObjectType, totalByteLength), 0x7FFFFFFF, 0},
        {object + offsetof(ObjectType, definitionLength), 0xFFFFFF00, 1015},
        {object + offsetof(ObjectType, numInstances), 0x7FFFFFFF, 1015},
        {object + offsetof(ObjectType, numCounters), 0xFFFFFFFF, 1015},
        {instance + offsetof(InstanceDefinition, byteLength), 0, 1015},  // its counter block's length is then 0 too
        {instance + offsetof(InstanceDefinition, byteLength), 0xFFFFFF00, 1015},
        {instance + offsetof(InstanceDefinition, nameOffset), 0xFFFFFFF0, 1015},
    };
    for (const auto& [offset, value, expected] : cases) {
        auto block = kDisks;
        std::memcpy(block.data() + offset, &value, sizeof(value));
        EXPECT_EQ(Lookup(block, 236, u"_Total", 1400, kQueueType), expected) << "at " << offset;
        std::vector<std::u16string> names;
        CollectInstanceNames(View(block), 234, names);
        EXPECT_LE(names.size(), 4u) << "at " << offset;
        EXPECT_FALSE(SameLayout(View(block), View(kDisks))) << "at " << offset;
        EXPECT_TRUE(SameLayout(View(block), View(block))) << "at " << offset;
    }

    // A walk runs on the GUI thread every tick: its steps must stay below the block's bytes whatever
    // the counts promise, or a crafted block near the 64 MiB cap hangs the program.
    auto craft = [](uint32_t fill, size_t objectSpacing) {
        std::vector<uint8_t> block(256 * 1024);
        for (size_t at = 0; at < block.size(); at += 4) std::memcpy(block.data() + at, &fill, 4);
        DataBlock header{};
        header.headerLength = sizeof(DataBlock);
        header.numObjectTypes = 0xFFFFFFFF;
        std::memcpy(block.data(), &header, sizeof(header));
        ObjectType crafted{};
        crafted.totalByteLength = static_cast<uint32_t>(objectSpacing);
        crafted.headerLength = crafted.definitionLength = sizeof(ObjectType);
        crafted.objectNameTitleIndex = 234;
        crafted.numCounters = 0xFFFFFFFF;
        crafted.numInstances = 0x7FFFFFFF;
        for (size_t at = sizeof(DataBlock); at + objectSpacing <= block.size(); at += objectSpacing) {
            std::memcpy(block.data() + at, &crafted, sizeof(crafted));
        }
        return block;
    };
    // Objects every 64 bytes whose entries would run on through all the objects after them;
    // one object of 4-byte steps (each definition and instance overlapping the next).
    for (const auto& block : {craft(0, 64), craft(4, 256 * 1024 - sizeof(DataBlock))}) {
        uint64_t steps = 0;
        std::vector<std::u16string> names;
        const std::function<void()> walks[] = {
            [&] { FindCounter(View(block, &steps), 234, {u"x", NameMatch::prefix}, 4, 4); },
            [&] { SameLayout(View(block, &steps), View(block)); },
            [&] { CollectInstanceNames(View(block, &steps), 234, names); },
        };
        for (size_t i = 0; i < std::size(walks); ++i) {
            steps = 0;
            walks[i]();
            EXPECT_GT(steps, 0u);
            EXPECT_LE(steps, block.size() / 10) << "walk " << i << " of a block of " << block.size();
        }
    }
}

}  // namespace
}  // namespace lumora::perf
