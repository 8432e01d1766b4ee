#pragma once
// The sampler that reads a device's counters from the registry performance data: every device
// gets one while the system's disk performance counters are on.

#include <cstdint>
#include <string>

#include "sampling/registry_access.h"
#include "sampling/sampler.h"

namespace lumora {

class CRegistryAccessIndicator : public __performance_data {
public:
    explicit CRegistryAccessIndicator(const SamplerContext& context);

    ActivityState Update() override;
    bool GetStatisticsText(std::u16string& text) override;
    bool Open() override;
    bool Close() override;

private:
    struct CounterSlot {
        CounterQuery query;
        uint64_t current = 0;
        uint64_t previous = 0;
        uint64_t currentTime = 0;   // the byte snapshots only
        uint64_t previousTime = 0;
    };

    void Advance(CounterSlot& slot);
    static void StartInterval(CounterSlot& snapshot, const CounterSlot& source, uint64_t time);

    std::u16string m_instanceName;
    CounterSlot m_queue;
    CounterSlot m_readBytes;
    CounterSlot m_writeBytes;
    CounterSlot m_readRequests;
    CounterSlot m_writeRequests;
    CounterSlot m_readBytesSnapshot;
    CounterSlot m_writeBytesSnapshot;
    CounterSlot m_readQueueStats;
    CounterSlot m_writeQueueStats;
    CounterSlot m_readQueue;
    CounterSlot m_writeQueue;
};

}  // namespace lumora
