// Arbitrary bytes as performance-data snapshots: two blocks, one after the other, go through
// the registry access, the device enumeration and every sampler's lookups. The remembered
// counter positions must always give what a fresh walk of the current block gives, and no walk
// may do more work than its block's bytes allow.

#include <cstdint>
#include <string>
#include <vector>

#include "app/device_set.h"
#include "sampling/counter_sampler.h"
#include "unit/sampling/sampling_fakes.h"

namespace {

using namespace lumora;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr uint32_t kCounters[][2] = {
    {perf::kAvgDiskQueueLength, perf::kCounter100nsQueueLen}, {perf::kAvgDiskBytesPerRead, perf::kAverageBulk},
    {perf::kDiskReadsPerSec, perf::kCounterCounter},          {perf::kAvgDiskWriteQueueLength, perf::kCounter100nsQueueLen},
};
constexpr perf::NameMatch kMatches[] = {perf::NameMatch::prefix, perf::NameMatch::whole, perf::NameMatch::driveNumber};

// Each query both ways: through the registry access, which remembers where it found it, and by
// a fresh walk that counts its steps.
void CompareLookups(DirectRegistryAccess& access, const std::vector<uint8_t>& block,
                    std::vector<CounterQuery>& queries) {
    uint64_t steps = 0;
    const perf::SnapshotView view{block.data(), block.size(), &steps};
    for (CounterQuery& query : queries) {
        const uint64_t remembered = access.ReadCounter(query);
        steps = 0;
        const perf::CounterPosition position = perf::FindCounter(
            view, query.objectIndex, {*query.instanceName, query.match}, query.counterIndex, query.counterType);
        Check(remembered == perf::ReadCounter(view, position) && steps <= block.size());
    }
    steps = 0;
    perf::SameLayout(view, view);
    Check(steps <= block.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t split = (static_cast<size_t>(data[0]) << 8 | data[1]) % (size - 1);
    const std::vector<uint8_t> blocks[] = {{data + 2, data + 2 + split}, {data + 2 + split, data + size}};
    testing::FakePerfQuery query;
    testing::FakePerfDisk perfDisk;
    testing::FakeText text;
    DirectRegistryAccess access(query, perfDisk);
    query.block = blocks[0];

    g_deviceSetContext = {&access, nullptr, nullptr, &text};
    EnumDrives();
    CreateIndicators();
    for (auto& record : g_indicators) record->m_sampler->Open();

    // The names the lookups use: every instance name of the first block, and the fixed ones.
    std::vector<std::u16string> names = {u"", u"_Total", u"0", u"C:", u"1 "};
    access.Refresh();
    access.GetInstanceNames(perf::kPhysicalDiskObject, names);
    access.GetInstanceNames(perf::kLogicalDiskObject, names);
    if (names.size() > 64) names.resize(64);

    // Made once, so that the second block meets the positions the first one left.
    std::vector<CounterQuery> queries;
    for (const std::u16string& name : names) {
        for (uint32_t object : {perf::kPhysicalDiskObject, perf::kLogicalDiskObject}) {
            for (const auto& counter : kCounters) {
                for (perf::NameMatch match : kMatches) {
                    queries.push_back({object, &name, match, counter[0], counter[1], 0, {}});
                }
            }
        }
    }
    for (const std::vector<uint8_t>& block : blocks) {
        query.block = block;
        Check(access.Refresh());
        CompareLookups(access, block, queries);
        access.GetInstanceCount(perf::kPhysicalDiskObject);
        for (auto& record : g_indicators) {
            record->m_sampler->Update();
            char16_t buffer[1024] = {};
            record->m_sampler->WriteStatisticsText(buffer, 1024);
        }
    }
    for (auto& record : g_indicators) record->m_sampler->Close();
    DestroyIndicators();
    g_deviceSetContext = {};
    return 0;
}
