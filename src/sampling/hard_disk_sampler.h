#pragma once
// Samplers that ask the disk driver (IOCTL_DISK_PERFORMANCE), used when the system's disk
// performance counters are switched off: one device, and the All-In-One view of all drives.

#include <memory>
#include <vector>

#include "sampling/counter_health.h"
#include "sampling/sampler.h"

namespace lumora {

class CHardDiskIndicatorInfo : public __performance_data {
public:
    explicit CHardDiskIndicatorInfo(const SamplerContext& context);

    ActivityState Update() override;
    bool GetStatisticsText(std::u16string& text) override;
    bool Open() override;
    bool Close() override;

    // Why the driver measures this device instead of the counters; its statistics end with
    // the advice for it.
    CounterHealth m_counterHealth = CounterHealth::usable;

protected:
    static constexpr uint32_t kNoSample = 0xFFFFFFFF;

    // The advice on its own last line.
    void AppendRepairAdvice(std::u16string& text) const;

    std::unique_ptr<DiskDevice> m_hDevice;
    uint32_t m_prevReadCount = kNoSample;
    uint32_t m_prevWriteCount = kNoSample;
};

class CAllInOneIndicatorInfo : public CHardDiskIndicatorInfo {
public:
    explicit CAllInOneIndicatorInfo(const SamplerContext& context);

    ActivityState Update() override;
    bool GetStatisticsText(std::u16string& text) override;
    bool Open() override;
    bool Close() override;

private:
    std::vector<std::unique_ptr<__performance_data>> m_children;
};

}  // namespace lumora
