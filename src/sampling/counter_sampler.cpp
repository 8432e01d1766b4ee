#include "sampling/counter_sampler.h"

#include "sampling/perf_data_format.h"
#include "sampling/perf_walk.h"
#include "sampling/text_format.h"

namespace lumora {
namespace {

constexpr uint64_t kOneSecond = 10'000'000;  // in the data's 100-nanosecond units
constexpr size_t kPhysicalDrivePrefixLength = 17;  // "\\.\PHYSICALDRIVE"
constexpr size_t kDevicePrefixLength = 4;          // "\\.\"

bool IsDriveLetterName(const std::u16string& name) {
    return name.size() == 2 && name[1] == u':' &&
           ((name[0] >= u'A' && name[0] <= u'Z') || (name[0] >= u'a' && name[0] <= u'z'));
}

}  // namespace

CRegistryAccessIndicator::CRegistryAccessIndicator(const SamplerContext& context) : __performance_data(context) {}

bool CRegistryAccessIndicator::Open() {
    uint32_t objectIndex = perf::kPhysicalDiskObject;
    perf::NameMatch match = perf::NameMatch::prefix;
    m_instanceName.clear();
    const uint32_t kind = m_device ? m_device->kind : 0;
    if (kind == DEVICE_PHYSICAL) {
        // The drive's number alone names a disk without volumes; with volumes a space and
        // their letters follow.
        if (m_device->path.size() > kPhysicalDrivePrefixLength) {
            m_instanceName = m_device->path.substr(kPhysicalDrivePrefixLength);
        }
        match = perf::NameMatch::driveNumber;
    } else if (kind == DEVICE_LOGICAL) {
        objectIndex = perf::kLogicalDiskObject;
        if (m_device->path.size() > kDevicePrefixLength) {
            m_instanceName = m_device->path.substr(kDevicePrefixLength);
        }
        // A volume without a letter ("HarddiskVolume5") is known only by its whole name, and
        // must not read the counters of another volume whose name it begins.
        match = IsDriveLetterName(m_instanceName) ? perf::NameMatch::prefix : perf::NameMatch::whole;
    } else if (kind == DEVICE_ALL_IN_ONE) {
        m_instanceName = u"_Total";
    }
    if (m_instanceName.size() > perf::kMaxInstanceNameUnits) m_instanceName.resize(perf::kMaxInstanceNameUnits);

    struct SlotDefinition {
        CounterSlot& slot;
        uint32_t counterIndex;
        uint32_t counterType;
    };
    const SlotDefinition slots[] = {
        {m_queue, perf::kAvgDiskQueueLength, perf::kCounter100nsQueueLen},
        {m_readBytes, perf::kAvgDiskBytesPerRead, perf::kAverageBulk},
        {m_writeBytes, perf::kAvgDiskBytesPerWrite, perf::kAverageBulk},
        {m_readRequests, perf::kDiskReadsPerSec, perf::kCounterCounter},
        {m_writeRequests, perf::kDiskWritesPerSec, perf::kCounterCounter},
        {m_readBytesSnapshot, 0, 0},
        {m_writeBytesSnapshot, 0, 0},
        {m_readQueueStats, perf::kAvgDiskReadQueueLength, perf::kCounter100nsQueueLen},
        {m_writeQueueStats, perf::kAvgDiskWriteQueueLength, perf::kCounter100nsQueueLen},
        {m_readQueue, perf::kAvgDiskReadQueueLength, perf::kCounter100nsQueueLen},
        {m_writeQueue, perf::kAvgDiskWriteQueueLength, perf::kCounter100nsQueueLen},
    };
    for (const SlotDefinition& definition : slots) {
        CounterQuery& query = definition.slot.query;
        query.objectIndex = objectIndex;
        query.instanceName = &m_instanceName;
        query.match = match;
        query.counterIndex = definition.counterIndex;
        query.counterType = definition.counterType;
        query.generation = 0;
    }
    return true;
}

bool CRegistryAccessIndicator::Close() { return true; }

void CRegistryAccessIndicator::Advance(CounterSlot& slot) {
    slot.previous = slot.current;
    slot.current = m_context.registry ? m_context.registry->ReadCounter(slot.query) : 0;
}

void CRegistryAccessIndicator::StartInterval(CounterSlot& snapshot, const CounterSlot& source, uint64_t time) {
    snapshot.previous = snapshot.current;
    snapshot.previousTime = snapshot.currentTime;
    snapshot.current = source.current;
    snapshot.currentTime = time;
}

ActivityState CRegistryAccessIndicator::Update() {
    const uint64_t time = m_context.registry ? m_context.registry->GetPerfTime100nSec() : 0;
    Advance(m_readBytes);
    Advance(m_writeBytes);
    Advance(m_readQueue);
    Advance(m_writeQueue);
    if (static_cast<double>(time - m_readBytesSnapshot.currentTime) >= static_cast<double>(kOneSecond)) {
        StartInterval(m_readBytesSnapshot, m_readBytes, time);
        StartInterval(m_writeBytesSnapshot, m_writeBytes, time);
        Advance(m_readQueueStats);
        Advance(m_writeQueueStats);
        Advance(m_readRequests);
        Advance(m_writeRequests);
    }
    m_queue.current = m_context.registry ? m_context.registry->ReadCounter(m_queue.query) : 0;
    if (m_queue.current == m_queue.previous) {
        m_state = 0;
        return 0;
    }
    m_queue.previous = m_queue.current;
    ActivityState state = (static_cast<uint32_t>(static_cast<uint16_t>(m_readQueue.current - m_readQueue.previous)) << 16) |
                          static_cast<uint16_t>(m_writeQueue.current - m_writeQueue.previous);
    // The total queue moved, so the disk did work, yet neither direction's growth left anything
    // in its 16 bits (both grew by whole multiples of 65,536). A 0 would paint the lamp idle: the
    // work shows as a read instead (a read half of 1).
    if (state == 0) state = 0x00010000;
    m_state = state;
    return state;
}

bool CRegistryAccessIndicator::GetStatisticsText(std::u16string& text) {
    const uint32_t kind = m_device ? m_device->kind : 0;
    if (kind != DEVICE_PHYSICAL && kind != DEVICE_LOGICAL && kind != DEVICE_ALL_IN_ONE) return true;
    if (m_readBytesSnapshot.currentTime == 0 && m_readBytesSnapshot.previousTime == 0) {
        m_readBytesSnapshot.currentTime = 1;
    }
    TextFormatter* formatter = m_context.text;
    auto byteSize = [formatter](uint64_t bytes) {
        return formatter ? formatter->FormatByteSize(static_cast<int64_t>(bytes)) : std::u16string();
    };
    auto kbSize = [formatter](int64_t bytes) {
        return formatter ? formatter->FormatKBSize(bytes) : std::u16string();
    };

    text = m_device->name;
    if (kind == DEVICE_PHYSICAL) {
        AppendAscii(text, " - ");
        text += m_device->description;
    }
    AppendAscii(text, "\r\nRead: ");
    text += byteSize(m_readBytes.current);
    text += u' ';
    AppendExactNumber(text, static_cast<int64_t>(m_readBytes.current));
    AppendAscii(text, " \tWrite: ");
    text += byteSize(m_writeBytes.current);
    text += u' ';
    AppendExactNumber(text, static_cast<int64_t>(m_writeBytes.current));

    const double interval = static_cast<double>(m_readBytesSnapshot.currentTime - m_readBytesSnapshot.previousTime);
    auto perInterval = [interval](const CounterSlot& slot) {
        return static_cast<double>(slot.current - slot.previous) / interval;
    };
    auto perSecond = [interval](const CounterSlot& slot) {
        return static_cast<double>(slot.current - slot.previous) * static_cast<double>(kOneSecond) / interval;
    };
    const double readQueue = perInterval(m_readQueueStats);
    const double writeQueue = perInterval(m_writeQueueStats);
    const uint32_t readsPerSec = SaturateToUint32(perSecond(m_readRequests));
    const uint32_t writesPerSec = SaturateToUint32(perSecond(m_writeRequests));
    const int64_t readRate = SaturateToInt64(perSecond(m_readBytesSnapshot));
    const int64_t writeRate = SaturateToInt64(perSecond(m_writeBytesSnapshot));

    AppendAscii(text, "\r\nRate KB/sec: ");
    text += kbSize(readRate);
    AppendAscii(text, "      \t\tRate KB/sec: ");
    text += kbSize(writeRate);
    AppendAscii(text, "\r\nRequests/sec: ");
    text += DecimalText(readsPerSec);
    AppendAscii(text, "       \t\tRequests/sec: ");
    text += DecimalText(writesPerSec);
    AppendAscii(text, "\r\nQueue length/sec: ");
    text += FixedText(readQueue);
    AppendAscii(text, " \t\tQueue length/sec: ");
    text += FixedText(writeQueue);
    return true;
}

}  // namespace lumora
