// Arbitrary bytes as performance-data snapshots: two blocks, one after the other, go through
// the registry access, the device enumeration and every sampler's lookups. The remembered
// counter positions must always give what a fresh walk of the current block gives.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/device_set.h"
#include "sampling/counter_sampler.h"
#include "sampling/perf_data_format.h"
#include "sampling/registry_access.h"
#include "sampling/text_format.h"

namespace {

using namespace lumora;

class QueueOfBlocks : public PerfDataQuery {
public:
    uint32_t Query(uint8_t* buffer, uint32_t& size) override {
        const std::vector<uint8_t>& block = blocks[current];
        if (size < block.size()) return kErrorMoreData;
        if (!block.empty()) std::memcpy(buffer, block.data(), block.size());
        size = static_cast<uint32_t>(block.size());
        return kErrorSuccess;
    }
    std::vector<std::vector<uint8_t>> blocks;
    size_t current = 0;
};

class NoPerfDisk : public PerfDiskSetting {
public:
    bool ReadDisableCounters(uint32_t&) override { return false; }
};

class PlainText : public TextFormatter {
public:
    std::u16string FormatByteSize(int64_t bytes) override { return DecimalText(static_cast<uint64_t>(bytes)); }
    std::u16string FormatKBSize(int64_t bytes) override { return DecimalText(static_cast<uint64_t>(bytes) / 1024); }
    DigitGrouping Grouping() override { return ParseDigitGrouping(u"3;2;0", u","); }
};

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr uint32_t kCounters[][2] = {
    {perf::kAvgDiskQueueLength, perf::kCounter100nsQueueLen}, {perf::kAvgDiskBytesPerRead, perf::kAverageBulk},
    {perf::kDiskReadsPerSec, perf::kCounterCounter},          {perf::kAvgDiskWriteQueueLength, perf::kCounter100nsQueueLen},
};
constexpr perf::NameMatch kMatches[] = {perf::NameMatch::prefix, perf::NameMatch::whole, perf::NameMatch::driveNumber};

// Every name of both objects, plus the texts the samplers build, looked up both ways.
void CompareLookups(DirectRegistryAccess& access, const std::vector<uint8_t>& block,
                    std::vector<CounterQuery>& queries, std::vector<std::u16string>& names) {
    const perf::SnapshotView view{block.data(), block.size()};
    size_t next = 0;
    for (const std::u16string& name : names) {
        for (uint32_t object : {perf::kPhysicalDiskObject, perf::kLogicalDiskObject}) {
            for (const auto& counter : kCounters) {
                for (perf::NameMatch match : kMatches) {
                    if (next == queries.size()) queries.emplace_back();
                    CounterQuery& query = queries[next++];
                    query.objectIndex = object;
                    query.instanceName = &name;
                    query.match = match;
                    query.counterIndex = counter[0];
                    query.counterType = counter[1];
                    const uint64_t remembered = access.ReadCounter(query);
                    const uint64_t walked =
                        perf::ReadCounter(view, perf::FindCounter(view, object, {name, match}, counter[0], counter[1]));
                    Check(remembered == walked);
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t split = (static_cast<size_t>(data[0]) << 8 | data[1]) % (size - 1);
    QueueOfBlocks query;
    query.blocks.emplace_back(data + 2, data + 2 + split);
    query.blocks.emplace_back(data + 2 + split, data + size);
    NoPerfDisk perfDisk;
    PlainText text;
    DirectRegistryAccess access(query, perfDisk);

    g_deviceSetContext = {};
    g_deviceSetContext.registry = &access;
    g_deviceSetContext.text = &text;
    EnumDrives();
    CreateIndicators();
    for (auto& record : g_indicators) record->m_sampler->Open();

    // The names the lookups use: every instance name of the first block, and the fixed ones.
    std::vector<std::u16string> names = {u"", u"_Total", u"0", u"C:", u"1 "};
    access.Refresh();
    access.GetInstanceNames(perf::kPhysicalDiskObject, names);
    access.GetInstanceNames(perf::kLogicalDiskObject, names);
    if (names.size() > 64) names.resize(64);

    std::vector<CounterQuery> queries;
    for (size_t round = 0; round < 2; ++round) {
        query.current = round;
        Check(access.Refresh());
        CompareLookups(access, query.blocks[round], queries, names);
        access.GetInstanceCount(perf::kPhysicalDiskObject);
        for (auto& record : g_indicators) {
            __performance_data& sampler = *record->m_sampler;
            sampler.Update();
            char16_t buffer[1024];
            buffer[0] = 0;
            sampler.WriteStatisticsText(buffer, 1024);
        }
    }
    for (auto& record : g_indicators) record->m_sampler->Close();
    DestroyIndicators();
    g_deviceSetContext = {};
    return 0;
}
