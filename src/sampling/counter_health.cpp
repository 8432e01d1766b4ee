#include "sampling/counter_health.h"

#include <algorithm>

#include "sampling/perf_data_format.h"
#include "sampling/registry_access.h"

namespace lumora {
namespace {

constexpr char16_t kTotalInstance[] = u"_Total";

bool HasOtherThanTotal(const std::vector<std::u16string>& names) {
    return std::any_of(names.begin(), names.end(), [](const std::u16string& name) { return name != kTotalInstance; });
}

}  // namespace

CounterCheck CheckDiskCounters(RegistryAccess& registry) {
    CounterCheck check;
    if (registry.ArePerformanceCountersDisabled()) {
        check.health = CounterHealth::switchedOff;
        return check;
    }
    if (!registry.Refresh()) return check;
    registry.GetInstanceNames(perf::kPhysicalDiskObject, check.physicalNames);
    registry.GetInstanceNames(perf::kLogicalDiskObject, check.logicalNames);
    // Without the total the All-In-One lamp would read nothing.
    const bool drivesTotal = std::find(check.physicalNames.begin(), check.physicalNames.end(), kTotalInstance) !=
                             check.physicalNames.end();
    if (drivesTotal && HasOtherThanTotal(check.physicalNames) && HasOtherThanTotal(check.logicalNames)) {
        check.health = CounterHealth::usable;
    }
    return check;
}

std::u16string_view CounterRepairAdvice(CounterHealth health) {
    switch (health) {
        case CounterHealth::switchedOff:
            return u"Measured by the disk driver: the disk counters are switched off. "
                   u"Run \"lodctr /e:PerfDisk\" as administrator to switch them on.";
        case CounterHealth::broken:
            return u"Measured by the disk driver: the disk counters are missing or broken. "
                   u"Run \"lodctr /r\" as administrator to rebuild them.";
        case CounterHealth::usable: break;
    }
    return {};
}

}  // namespace lumora
