// Times one update tick with N physical and N logical disks (and the All-In-One view): our
// registry access, which remembers where each counter lies while the layout stays the same,
// against the straightforward walk from the start of the block for every lookup.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/device_set.h"
#include "sampling/counter_sampler.h"
#include "sampling/perf_data_format.h"
#include "sampling/registry_access.h"
#include "sampling/text_format.h"
#include "tools/perfsource/perf_block_writer.h"

namespace lumora {
namespace {

constexpr uint32_t kQueue = perf::kCounter100nsQueueLen;
constexpr uint32_t kBulk = perf::kAverageBulk;
constexpr uint32_t kCount = perf::kCounterCounter;
constexpr int64_t kTickTime = 500'000;  // 50 ms in the data's units

perfsource::PerfInstanceModel Instance(std::u16string name, uint64_t seed) {
    return {std::move(name),
            {{1400, kQueue, 8, seed * 7}, {226, kBulk, 8, seed * 4096}, {228, kBulk, 8, seed * 8192},
             {214, kCount, 4, seed}, {216, kCount, 4, seed * 2}, {1402, kQueue, 8, seed * 3},
             {1404, kQueue, 8, seed * 4}}};
}

std::u16string VolumeName(int i) {
    if (i < 26) return std::u16string(1, static_cast<char16_t>(u'A' + i)) + u":";
    return u"HarddiskVolume" + DecimalText(static_cast<uint64_t>(i));
}

// The block and the device list of a machine with `disks` drives and as many volumes.
struct Machine {
    std::vector<uint8_t> block;
    std::vector<DeviceRecord> devices;

    explicit Machine(int disks) {
        std::vector<perfsource::PerfInstanceModel> physical, logical;
        for (int i = 0; i < disks; ++i) {
            physical.push_back(Instance(DecimalText(static_cast<uint64_t>(i)) + u" " + VolumeName(i), i + 1));
            logical.push_back(Instance(VolumeName(i), i + 100));
        }
        physical.push_back(Instance(u"_Total", 1));
        logical.push_back(Instance(u"_Total", 2));
        block = perfsource::WriteBlock({{234, false, {}, physical}, {236, false, {}, logical}}, kTickTime);

        for (int i = 0; i < disks; ++i) {
            DeviceRecord record;
            record.path = u"\\\\.\\PHYSICALDRIVE" + DecimalText(static_cast<uint64_t>(i));
            record.kind = DEVICE_PHYSICAL;
            devices.push_back(record);
        }
        DeviceRecord all;
        all.path = u"_Total";
        all.kind = DEVICE_ALL_IN_ONE;
        devices.push_back(all);
        for (int i = 0; i < disks; ++i) {
            DeviceRecord record;
            record.path = u"\\\\.\\" + VolumeName(i);
            record.kind = DEVICE_LOGICAL;
            devices.push_back(record);
        }
    }

    // Every tick the data's clock moves on, as it does on a running system.
    void AdvanceClock() {
        int64_t time;
        std::memcpy(&time, block.data() + offsetof(perf::DataBlock, perfTime100nSec), sizeof(time));
        time += kTickTime;
        std::memcpy(block.data() + offsetof(perf::DataBlock, perfTime100nSec), &time, sizeof(time));
    }
};

class InMemoryQuery : public PerfDataQuery {
public:
    explicit InMemoryQuery(const std::vector<uint8_t>& block) : m_block(block) {}
    uint32_t Query(uint8_t* buffer, uint32_t& size) override {
        if (size < m_block.size()) return kErrorMoreData;
        std::memcpy(buffer, m_block.data(), m_block.size());
        size = static_cast<uint32_t>(m_block.size());
        return kErrorSuccess;
    }

private:
    const std::vector<uint8_t>& m_block;
};

class NoPerfDisk : public PerfDiskSetting {
public:
    bool ReadDisableCounters(uint32_t&) override { return false; }
};

// The access as first described: a copy of the data per tick and a walk from the block's start for every
// lookup, with the same checks and the same answers as ours.
class StraightforwardAccess : public RegistryAccess {
public:
    explicit StraightforwardAccess(PerfDataQuery& query) : m_query(query), m_snapshot(65536) {}

    bool Initialize() override { return true; }
    bool Release() override { return true; }
    bool Refresh() override {
        uint32_t size = static_cast<uint32_t>(m_snapshot.size());
        uint32_t status = m_query.Query(m_snapshot.data(), size);
        while (status == kErrorMoreData) {
            m_snapshot.resize(m_snapshot.size() + 65536);
            size = static_cast<uint32_t>(m_snapshot.size());
            status = m_query.Query(m_snapshot.data(), size);
        }
        m_size = status == kErrorSuccess ? size : 0;
        return status == kErrorSuccess;
    }
    uint64_t GetCounterValue(uint32_t objectIndex, std::u16string_view instanceName, uint32_t counterIndex,
                             uint32_t counterType) override {
        return perf::ReadCounter(View(), perf::FindCounter(View(), objectIndex, {instanceName, perf::NameMatch::prefix},
                                                            counterIndex, counterType));
    }
    uint32_t GetInstanceCount(uint32_t objectIndex) override { return perf::CountInstances(View(), objectIndex); }
    uint32_t GetInstanceNames(uint32_t objectIndex, std::vector<std::u16string>& names) override {
        return perf::CollectInstanceNames(View(), objectIndex, names);
    }
    bool ArePerformanceCountersDisabled() override { return false; }
    uint64_t ReadCounter(CounterQuery& query) override {
        const perf::InstanceSelector selector{*query.instanceName, query.match};
        return perf::ReadCounter(View(), perf::FindCounter(View(), query.objectIndex, selector, query.counterIndex,
                                                            query.counterType));
    }
    uint64_t GetPerfTime100nSec() override { return perf::ReadPerfTime100nSec(View()); }

private:
    perf::SnapshotView View() const { return {m_snapshot.data(), m_size}; }

    PerfDataQuery& m_query;
    std::vector<uint8_t> m_snapshot;
    size_t m_size = 0;
};

template <typename Access>
void RunTicks(benchmark::State& state, Access& access, Machine& machine) {
    std::vector<std::unique_ptr<CRegistryAccessIndicator>> samplers;
    for (DeviceRecord& device : machine.devices) {
        auto sampler = std::make_unique<CRegistryAccessIndicator>(SamplerContext{&access, nullptr, nullptr, nullptr});
        sampler->m_device = &device;
        sampler->Open();
        samplers.push_back(std::move(sampler));
    }
    uint64_t activity = 0;
    // The first tick learns where each counter sits; every later tick is what the program pays
    // while it runs. Without this a short run times the learning tick alone at 1024 disks.
    machine.AdvanceClock();
    access.Refresh();
    for (auto& sampler : samplers) activity += sampler->Update();
    for (auto _ : state) {
        machine.AdvanceClock();
        if (!access.Refresh()) state.SkipWithError("refresh failed");
        for (auto& sampler : samplers) activity += sampler->Update();
    }
    benchmark::DoNotOptimize(activity);
    state.counters["disks"] = static_cast<double>(machine.devices.size());
    state.counters["bytes"] = static_cast<double>(machine.block.size());
}

void BM_TickIndexed(benchmark::State& state) {
    Machine machine(static_cast<int>(state.range(0)));
    InMemoryQuery query(machine.block);
    NoPerfDisk perfDisk;
    DirectRegistryAccess access(query, perfDisk);
    RunTicks(state, access, machine);
}

void BM_TickStraightforward(benchmark::State& state) {
    Machine machine(static_cast<int>(state.range(0)));
    InMemoryQuery query(machine.block);
    StraightforwardAccess access(query);
    RunTicks(state, access, machine);
}

BENCHMARK(BM_TickIndexed)->Arg(4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickStraightforward)->Arg(4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
