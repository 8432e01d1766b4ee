#include "sampling/registry_access.h"

#include <cstdlib>
#include <utility>

namespace lumora {

RegistryAccess* g_pRegistryAccess = nullptr;

void DirectRegistryAccess::FreeBytes::operator()(uint8_t* bytes) const { std::free(bytes); }

DirectRegistryAccess::DirectRegistryAccess(PerfDataQuery& query, PerfDiskSetting& perfDisk)
    : m_query(query), m_perfDisk(perfDisk) {}

DirectRegistryAccess::~DirectRegistryAccess() = default;

bool DirectRegistryAccess::Initialize() { return true; }

bool DirectRegistryAccess::Release() {
    m_snapshot.reset();
    m_spare.reset();
    m_capacity = 0;
    m_spareCapacity = 0;
    m_dataSize = 0;
    m_valid = false;
    m_haveLayout = false;
    return true;
}

perf::SnapshotView DirectRegistryAccess::View() const {
    return m_valid ? perf::SnapshotView{m_snapshot.get(), m_dataSize} : perf::SnapshotView{};
}

bool DirectRegistryAccess::Resize(Buffer& buffer, uint32_t& capacity, uint32_t size) {
    // The query fills the buffer anew, so the old bytes need not be carried over.
    buffer.reset();
    capacity = 0;
    void* grown = std::malloc(size);
    if (!grown) return false;
    buffer.reset(static_cast<uint8_t*>(grown));
    capacity = size;
    return true;
}

bool DirectRegistryAccess::Fail() {
    m_valid = false;
    return false;
}

bool DirectRegistryAccess::Refresh() {
    // The whole buffer is offered every time, so data that shrinks and grows again by a few
    // bytes never costs a reallocation on the hot path.
    if (m_spareCapacity < m_snapshotSize && !Resize(m_spare, m_spareCapacity, m_snapshotSize)) return Fail();
    uint32_t size = m_spareCapacity;
    uint32_t status = m_query.Query(m_spare.get(), size);
    while (status == kErrorMoreData) {
        if (m_spareCapacity >= kMaxSnapshotSize) {
            // A source that never has enough must not keep the memory it was given either.
            Release();
            m_snapshotSize = kInitialSnapshotSize;
            return Fail();
        }
        m_snapshotSize = m_spareCapacity < kStepGrowthLimit ? m_spareCapacity + kGrowthStep : m_spareCapacity * 2;
        if (m_snapshotSize > kMaxSnapshotSize) m_snapshotSize = kMaxSnapshotSize;
        if (!Resize(m_spare, m_spareCapacity, m_snapshotSize)) return Fail();
        size = m_spareCapacity;
        status = m_query.Query(m_spare.get(), size);
    }
    if (status != kErrorSuccess) return Fail();

    const perf::SnapshotView previous{m_snapshot.get(), m_dataSize};
    const perf::SnapshotView current{m_spare.get(), size < m_spareCapacity ? size : m_spareCapacity};
    if (!m_haveLayout || !perf::SameLayout(current, previous)) ++m_generation;
    m_snapshot.swap(m_spare);
    std::swap(m_capacity, m_spareCapacity);
    m_dataSize = static_cast<uint32_t>(current.size);
    m_valid = true;
    m_haveLayout = true;
    return true;
}

uint64_t DirectRegistryAccess::GetCounterValue(uint32_t objectIndex, std::u16string_view instanceName,
                                               uint32_t counterIndex, uint32_t counterType) {
    const perf::SnapshotView view = View();
    const perf::InstanceSelector selector{instanceName, perf::NameMatch::prefix};
    return perf::ReadCounter(view, perf::FindCounter(view, objectIndex, selector, counterIndex, counterType));
}

uint64_t DirectRegistryAccess::ReadCounter(CounterQuery& query) {
    if (!m_valid) return 0;
    const perf::SnapshotView view = View();
    if (query.generation != m_generation) {
        const std::u16string_view name = query.instanceName ? std::u16string_view(*query.instanceName) : u"";
        query.position =
            perf::FindCounter(view, query.objectIndex, {name, query.match}, query.counterIndex, query.counterType);
        query.generation = m_generation;
    }
    return perf::ReadCounter(view, query.position);
}

uint32_t DirectRegistryAccess::GetInstanceCount(uint32_t objectIndex) {
    return perf::CountInstances(View(), objectIndex);
}

uint32_t DirectRegistryAccess::GetInstanceNames(uint32_t objectIndex, std::vector<std::u16string>& names) {
    return perf::CollectInstanceNames(View(), objectIndex, names);
}

uint64_t DirectRegistryAccess::GetPerfTime100nSec() { return perf::ReadPerfTime100nSec(View()); }

bool DirectRegistryAccess::ArePerformanceCountersDisabled() {
    if (m_countersDisabled == 0 || m_countersDisabled == 1) return m_countersDisabled == 1;
    uint32_t value = 0;
    // An unreadable value is asked again next time: the answer is only kept once it was read.
    if (!m_perfDisk.ReadDisableCounters(value)) return false;
    m_countersDisabled = value != 0 ? 1 : 0;
    return m_countersDisabled == 1;
}

void DirectRegistryAccess::ForgetCountersSwitch() { m_countersDisabled = -1; }

}  // namespace lumora
