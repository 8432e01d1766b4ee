#pragma once
// Access to the registry performance data of the PhysicalDisk and LogicalDisk objects: one
// snapshot per update tick, the walk over it, and whether the disk counters are switched off.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sampling/perf_walk.h"

namespace lumora {

// One counter a sampler reads on every tick, with the place where the last lookup found it.
// The place stays valid for as long as the snapshots keep the same layout, so a tick costs one
// read per counter instead of a walk.
struct CounterQuery {
    uint32_t objectIndex = 0;
    const std::u16string* instanceName = nullptr;
    perf::NameMatch match = perf::NameMatch::prefix;
    uint32_t counterIndex = 0;
    uint32_t counterType = 0;

    uint64_t generation = 0;  // 0: not looked up yet
    perf::CounterPosition position;
};

class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;

    virtual bool Initialize() = 0;
    virtual bool Release() = 0;
    virtual bool Refresh() = 0;
    virtual uint64_t GetCounterValue(uint32_t objectIndex, std::u16string_view instanceName, uint32_t counterIndex,
                                     uint32_t counterType) = 0;
    virtual uint32_t GetInstanceCount(uint32_t objectIndex) = 0;
    virtual uint32_t GetInstanceNames(uint32_t objectIndex, std::vector<std::u16string>& names) = 0;
    virtual bool ArePerformanceCountersDisabled() = 0;
    // The next ArePerformanceCountersDisabled reads the switch again, so that a user who turns
    // the counters back on is noticed without a restart.
    virtual void ForgetCountersSwitch() {}

    // The same answer as GetCounterValue, remembering where it was found.
    virtual uint64_t ReadCounter(CounterQuery& query) = 0;
    // The snapshot's time stamp in 100-nanosecond units.
    virtual uint64_t GetPerfTime100nSec() = 0;
};

// RegQueryValueExW(HKEY_PERFORMANCE_DATA, "234 236"): fills `buffer` and sets `size` to the bytes
// returned, or answers a Win32 error (kErrorMoreData when the buffer is too small).
class PerfDataQuery {
public:
    virtual ~PerfDataQuery() = default;
    virtual uint32_t Query(uint8_t* buffer, uint32_t& size) = 0;
};

// The "Disable Performance Counters" value of the PerfDisk service; false when it cannot be read.
class PerfDiskSetting {
public:
    virtual ~PerfDiskSetting() = default;
    virtual bool ReadDisableCounters(uint32_t& value) = 0;
};

inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorMoreData = 234;

class DirectRegistryAccess final : public RegistryAccess {
public:
    static constexpr uint32_t kInitialSnapshotSize = 65536;
    static constexpr uint32_t kGrowthStep = 65536;
    // Real data for two disk objects grows in steps; beyond this a broken source that always
    // wants more is met by doubling, so that one refresh costs a few dozen queries, not a thousand.
    static constexpr uint32_t kStepGrowthLimit = 1u << 20;
    // Far beyond what two disk objects need; a source that always wants more must not take all memory.
    static constexpr uint32_t kMaxSnapshotSize = 64u << 20;

    DirectRegistryAccess(PerfDataQuery& query, PerfDiskSetting& perfDisk);
    ~DirectRegistryAccess() override;
    DirectRegistryAccess(const DirectRegistryAccess&) = delete;
    DirectRegistryAccess& operator=(const DirectRegistryAccess&) = delete;

    bool Initialize() override;
    bool Release() override;
    bool Refresh() override;
    uint64_t GetCounterValue(uint32_t objectIndex, std::u16string_view instanceName, uint32_t counterIndex,
                             uint32_t counterType) override;
    uint32_t GetInstanceCount(uint32_t objectIndex) override;
    uint32_t GetInstanceNames(uint32_t objectIndex, std::vector<std::u16string>& names) override;
    bool ArePerformanceCountersDisabled() override;
    void ForgetCountersSwitch() override;
    uint64_t ReadCounter(CounterQuery& query) override;
    uint64_t GetPerfTime100nSec() override;

    uint32_t SnapshotCapacity() const { return m_capacity > m_spareCapacity ? m_capacity : m_spareCapacity; }
    // Changes whenever a refresh brings a block of another layout.
    uint64_t LayoutGeneration() const { return m_generation; }

private:
    struct FreeBytes {
        void operator()(uint8_t* bytes) const;
    };
    using Buffer = std::unique_ptr<uint8_t, FreeBytes>;

    perf::SnapshotView View() const;
    bool Resize(Buffer& buffer, uint32_t& capacity, uint32_t size);
    bool Fail();

    PerfDataQuery& m_query;
    PerfDiskSetting& m_perfDisk;
    // The query fills the spare buffer; the two change places when it succeeds, so the last
    // block stays at hand to compare layouts with, without a copy.
    Buffer m_snapshot;
    uint32_t m_capacity = 0;
    uint32_t m_dataSize = 0;
    Buffer m_spare;
    uint32_t m_spareCapacity = 0;
    uint32_t m_snapshotSize = kInitialSnapshotSize;
    bool m_valid = false;      // the last refresh brought a block; lookups walk nothing otherwise
    bool m_haveLayout = false; // m_snapshot holds the block whose layout m_generation stands for
    int32_t m_countersDisabled = -1;
    uint64_t m_generation = 0;
};

// The one instance, created at start-up; owned by the shell.
extern RegistryAccess* g_pRegistryAccess;

}  // namespace lumora
