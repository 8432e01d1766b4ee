#include "tools/perfsource/perf_block_writer.h"

#include <gtest/gtest.h>

// The writer's bytes are read back by the program's own walk in every sampling test and by the
// counter-source test under Wine; these pin what neither would notice if both were wrong
// alike: the published offsets, and the bounds of a caller's buffer and of 32-bit lengths.

namespace lumora::perfsource {
namespace {

constexpr uint32_t kQueue = 0x00550500;
constexpr uint32_t kCount = 0x10410400;

uint64_t Little(const std::vector<uint8_t>& bytes, size_t at, size_t size) {
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;) value = value << 8 | (at + i < bytes.size() ? bytes[at + i] : 0);
    return value;
}

PerfObjectModel Object(uint32_t index, std::vector<PerfInstanceModel> instances) {
    return {index, false, {}, std::move(instances)};
}

TEST(PerfBlockWriter, LaysOutTheHeaderAndAnObjectAtThePublishedOffsets) {
    const std::vector<uint8_t> block = WriteBlock(
        {Object(234, {{u"ab", {{1400, kQueue, 8, 0x1122334455667788}, {214, kCount, 4, 0xAABBCCDD}}}})},
        0x0102030405060708, {5'000'000'123, 10'000'000});
    ASSERT_EQ(block.size(), 88u + 200u);  // header; object: 64 + 2 * 40 definitions + 32 instance + 24 counters
    const struct {
        size_t offset, size;
        uint64_t expected;
        const char* field;
    } fields[] = {
        {0, 8, 0x0046005200450050, "Signature PERF"}, {20, 4, 288, "block TotalByteLength"},
        {24, 4, 88, "block HeaderLength"},            {28, 4, 1, "NumObjectTypes"},
        {56, 8, 5'000'000'123, "PerfTime"},           {64, 8, 10'000'000, "PerfFreq"},
        {72, 8, 0x0102030405060708, "PerfTime100nSec"},
        {88 + 0, 4, 200, "object TotalByteLength"},   {88 + 4, 4, 144, "DefinitionLength"},
        {88 + 8, 4, 64, "HeaderLength"},              {88 + 12, 4, 234, "ObjectNameTitleIndex"},
        {88 + 32, 4, 2, "NumCounters"},               {88 + 40, 4, 1, "NumInstances"},
        {88 + 48, 8, 5'000'000'123, "object PerfTime"},
        {152 + 4, 4, 1400, "first counter index"},    {152 + 32, 4, 8, "first counter size"},
        {152 + 36, 4, 8, "8-byte value at an 8-aligned offset"},
        {192 + 36, 4, 16, "4-byte value after it"},   {232, 4, 32, "instance ByteLength, padded"},
        {232 + 16, 4, 24, "NameOffset"},              {232 + 20, 4, 6, "NameLength with the NUL"},
        {256, 6, 0x000000620061, "name \"ab\" and its NUL"},
        {264, 4, 24, "counter block ByteLength, padded"},
        {264 + 8, 8, 0x1122334455667788, "8-byte value"}, {264 + 16, 4, 0xAABBCCDD, "4-byte value"},
    };
    for (const auto& f : fields) EXPECT_EQ(Little(block, f.offset, f.size), f.expected) << f.field;
    EXPECT_EQ(WriteBlock({}, 0).size(), 88u);
}

TEST(PerfBlockWriter, WritesIntoACallersBufferOnlyWhenEverythingFits) {
    const std::vector<PerfObjectModel> objects = {Object(234, {{u"_Total", {{214, kCount, 4, 3}}}})};
    const size_t size = WriteObjects(objects).size();
    std::vector<uint8_t> buffer(size + 8, 0xCC);
    EXPECT_FALSE(WriteObjectsInto(objects, {}, buffer.data(), size - 1));
    EXPECT_EQ(buffer, std::vector<uint8_t>(size + 8, 0xCC)) << "untouched when it does not fit";

    EXPECT_EQ(WriteObjectsInto(objects, {}, buffer.data(), size), size);
    EXPECT_EQ(buffer.back(), 0xCC) << "nothing beyond what it wrote";
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
        EXPECT_TRUE(WriteBlock(objects, 0).empty());
    }
}

}  // namespace
}  // namespace lumora::perfsource
