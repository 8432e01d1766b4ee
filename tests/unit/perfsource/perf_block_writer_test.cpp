#include "tools/perfsource/perf_block_writer.h"

#include <gtest/gtest.h>

#include <limits>

#include "unit/perfsource/block_reader.h"

namespace lumora::perfsource {
namespace {

using testing::BlockReader;
using testing::ReadObject;

constexpr uint32_t kQueue = 0x00550500;
constexpr uint32_t kBulk = 0x40020500;
constexpr uint32_t kCount = 0x10410400;
constexpr PerfClock kClock{5'000'000'123, 10'000'000};

PerfObjectModel Object(uint32_t index, std::vector<PerfInstanceModel> instances) {
    return {index, false, {}, std::move(instances)};
}

struct RoundTrip {
    const char* name;
    std::vector<PerfObjectModel> written;
    std::vector<PerfObjectModel> readBack;
};

TEST(PerfBlockWriter, EveryShapeReadsBackThroughAnIndependentReader) {
    const uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
    const std::vector<RoundTrip> cases = {
        {"32- and 64-bit values at their extremes",
         {Object(234, {{u"0 C:", {{1400, kQueue, 8, 5'000'000'123}, {214, kCount, 4, 0xFFFFFFFF},
                                  {226, kBulk, 8, kMax64}, {216, kCount, 4, 0}}}})},
         {Object(234, {{u"0 C:", {{1400, kQueue, 8, 5'000'000'123}, {214, kCount, 4, 0xFFFFFFFF},
                                  {226, kBulk, 8, kMax64}, {216, kCount, 4, 0}}}})}},
        {"a value wider than its size keeps its low bytes",
         {Object(234, {{u"x", {{214, kCount, 4, 0x1'0000'0005}}}})},
         {Object(234, {{u"x", {{214, kCount, 4, 5}}}})}},
        {"definitions are the union in first-appearance order, missing ones read 0",
         {Object(236, {{u"C:", {{1400, kQueue, 8, 1}, {214, kCount, 4, 2}}},
                       {u"D:", {{226, kBulk, 8, 3}, {1400, kQueue, 8, 4}}}})},
         {Object(236, {{u"C:", {{1400, kQueue, 8, 1}, {214, kCount, 4, 2}, {226, kBulk, 8, 0}}},
                       {u"D:", {{1400, kQueue, 8, 4}, {214, kCount, 4, 0}, {226, kBulk, 8, 3}}}})}},
        {"the same index with another type or size is another counter",
         {Object(234, {{u"x", {{214, kCount, 4, 1}, {214, kCount, 8, 2}, {214, kBulk, 4, 3}}}})},
         {Object(234, {{u"x", {{214, kCount, 4, 1}, {214, kCount, 8, 2}, {214, kBulk, 4, 3}}}})}},
        {"a repeated counter keeps its first value",
         {Object(234, {{u"x", {{214, kCount, 4, 1}, {214, kCount, 4, 2}}}})},
         {Object(234, {{u"x", {{214, kCount, 4, 1}}}})}},
        {"an object without instances carries one counter block",
         {{234, true, {{1400, kQueue, 8, 9}, {216, kCount, 4, 7}}, {{u"ignored", {}}}}},
         {{234, true, {{1400, kQueue, 8, 9}, {216, kCount, 4, 7}}, {}}}},
        {"names of every length against the 8-byte padding, no counters",
         {Object(238, {{u"", {}}, {u"a", {}}, {u"ab", {}}, {u"abc", {}}, {u"abcd", {}}, {u"0 C: D:", {}},
                       {u"_Total", {}}})},
         {Object(238, {{u"", {}}, {u"a", {}}, {u"ab", {}}, {u"abc", {}}, {u"abcd", {}}, {u"0 C: D:", {}},
                       {u"_Total", {}}})}},
        {"objects keep their order, repeats included, empty ones too",
         {Object(236, {{u"C:", {{214, kCount, 4, 1}}}}), Object(234, {}), Object(236, {})},
         {Object(236, {{u"C:", {{214, kCount, 4, 1}}}}), Object(234, {}), Object(236, {})}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> block = WriteBlock(c.written, 77, kClock);
        BlockReader reader(block);
        ASSERT_GE(block.size(), 88u);
        EXPECT_EQ(reader.U32(20), block.size()) << "TotalByteLength";
        EXPECT_EQ(reader.U32(24), 88u) << "HeaderLength";
        EXPECT_EQ(reader.U32(28), c.written.size()) << "NumObjectTypes";

        std::vector<ReadObject> objects;
        ASSERT_TRUE(reader.ReadObjects(88, block.size() - 88, c.written.size(), objects)) << reader.problem();
        std::vector<PerfObjectModel> models;
        for (const ReadObject& object : objects) {
            models.push_back(object.model);
            EXPECT_EQ(object.perfTime, kClock.perfTime);
            EXPECT_EQ(object.perfFreq, kClock.perfFreq);
        }
        EXPECT_EQ(models, c.readBack);
        EXPECT_EQ(WriteObjects(c.written, kClock), std::vector<uint8_t>(block.begin() + 88, block.end()));
    }
}

TEST(PerfBlockWriter, LaysOutAnObjectAtThePublishedOffsets) {
    const std::vector<uint8_t> bytes =
        WriteObjects({Object(234, {{u"ab", {{1400, kQueue, 8, 0x1122334455667788}, {214, kCount, 4, 0xAABBCCDD}}}})});
    BlockReader reader(bytes);
    ASSERT_EQ(bytes.size(), 200u);  // 64 header + 2 * 40 definitions + 32 instance + 24 counter block
    const struct {
        size_t offset;
        uint32_t expected;
        const char* field;
    } fields[] = {
        {0, 200, "object TotalByteLength"}, {4, 144, "DefinitionLength"}, {8, 64, "HeaderLength"},
        {12, 234, "ObjectNameTitleIndex"},  {32, 2, "NumCounters"},       {40, 1, "NumInstances"},
        {64 + 4, 1400, "first counter index"}, {64 + 32, 8, "first counter size"},
        {64 + 36, 8, "8-byte value at an 8-aligned offset"}, {104 + 36, 16, "4-byte value after it"},
        {144, 32, "instance ByteLength: 24 + 6 name bytes, padded"}, {144 + 16, 24, "NameOffset"},
        {144 + 20, 6, "NameLength with the NUL"}, {176, 24, "counter block ByteLength, padded"},
        {176 + 16, 0xAABBCCDD, "4-byte value"},
    };
    for (const auto& f : fields) EXPECT_EQ(reader.U32(f.offset), f.expected) << f.field;
    EXPECT_EQ(reader.U64(176 + 8), 0x1122334455667788u);
    EXPECT_EQ(std::u16string({char16_t(reader.U16(168)), char16_t(reader.U16(170)), char16_t(reader.U16(172))}),
              std::u16string(u"ab\0", 3));
}

TEST(PerfBlockWriter, AnEmptyBlockIsAValidHeaderAlone) {
    const std::vector<uint8_t> block = WriteBlock({}, 0x0102030405060708, kClock);
    BlockReader reader(block);
    ASSERT_EQ(block.size(), 88u);
    EXPECT_EQ(std::u16string({char16_t(reader.U16(0)), char16_t(reader.U16(2)), char16_t(reader.U16(4)),
                              char16_t(reader.U16(6))}),
              u"PERF");
    const struct {
        size_t offset;
        uint32_t expected;
    } fields[] = {{8, 1}, {12, 1}, {16, 1}, {20, 88}, {24, 88}, {28, 0}, {80, 0}};
    for (const auto& f : fields) EXPECT_EQ(reader.U32(f.offset), f.expected) << "at " << f.offset;
    EXPECT_EQ(reader.U64(56), static_cast<uint64_t>(kClock.perfTime));
    EXPECT_EQ(reader.U64(64), static_cast<uint64_t>(kClock.perfFreq));
    EXPECT_EQ(reader.U64(72), 0x0102030405060708u);
    EXPECT_TRUE(WriteObjects({}).empty());
}

TEST(PerfBlockWriter, WritesIntoACallersBufferOnlyWhenEverythingFits) {
    const std::vector<PerfObjectModel> objects = {Object(234, {{u"_Total", {{214, kCount, 4, 3}}}})};
    const std::vector<uint8_t> expected = WriteObjects(objects);
    ASSERT_EQ(MeasureObjects(objects), expected.size());

    std::vector<uint8_t> buffer(expected.size() + 8, 0xCC);
    EXPECT_FALSE(WriteObjectsInto(objects, {}, buffer.data(), expected.size() - 1));
    EXPECT_EQ(buffer, std::vector<uint8_t>(expected.size() + 8, 0xCC)) << "untouched when it does not fit";

    EXPECT_EQ(WriteObjectsInto(objects, {}, buffer.data(), expected.size()), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + expected.size()), expected);
    EXPECT_EQ(buffer.back(), 0xCC);
    EXPECT_EQ(WriteObjectsInto({}, {}, nullptr, 0), 0u);
}

TEST(PerfBlockWriter, RefusesWhatA32BitLengthCannotDescribe) {
    const std::vector<std::vector<PerfObjectModel>> cases = {
        {Object(234, {{u"x", {{1, kCount, 0xFFFFFFF9, 0}}}})},                            // one counter block
        {Object(234, {{u"x", {{1, kCount, 0x7FFFFFF0, 0}}}, {u"y", {}}, {u"z", {}}})},  // summed instances
        {Object(234, {{u"x", {{1, kCount, 0x7FFFFFF0, 0}}}}),
         Object(236, {{u"x", {{1, kCount, 0x7FFFFFF0, 0}}}})},  // summed objects
    };
    for (const auto& objects : cases) {
        EXPECT_FALSE(MeasureObjects(objects));
        EXPECT_TRUE(WriteObjects(objects).empty());
        EXPECT_TRUE(WriteBlock(objects, 0).empty());
    }
}

}  // namespace
}  // namespace lumora::perfsource
