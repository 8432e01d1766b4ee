#include "sampling/hard_disk_sampler.h"

#include "sampling/text_format.h"

namespace lumora {

CHardDiskIndicatorInfo::CHardDiskIndicatorInfo(const SamplerContext& context) : __performance_data(context) {}

bool CHardDiskIndicatorInfo::Open() {
    if (m_device && m_context.disks) m_hDevice = m_context.disks->Open(m_device->path);
    return true;
}

bool CHardDiskIndicatorInfo::Close() {
    m_hDevice.reset();
    return true;
}

ActivityState CHardDiskIndicatorInfo::Update() {
    DiskPerformance performance;
    // No handle, a removed device, or a driver that does not answer (Wine): idle, and the
    // baseline stays for when the driver answers again.
    if (!m_hDevice || !m_hDevice->QueryPerformance(performance)) {
        m_state = 0;
        return 0;
    }
    if (m_prevReadCount == kNoSample) m_prevReadCount = performance.readCount;
    const uint32_t reading = (performance.readCount - m_prevReadCount) | performance.queueDepth;
    m_prevReadCount = performance.readCount;
    if (m_prevWriteCount == kNoSample) m_prevWriteCount = performance.writeCount;
    const ActivityState state = reading | (performance.writeCount - m_prevWriteCount);
    m_prevWriteCount = performance.writeCount;
    m_state = state;
    return state;
}

bool CHardDiskIndicatorInfo::GetStatisticsText(std::u16string& text) {
    if (!m_device || (m_device->kind != DEVICE_PHYSICAL && m_device->kind != DEVICE_LOGICAL)) return true;
    DiskPerformance performance;
    if (!m_hDevice || !m_hDevice->QueryPerformance(performance)) performance = DiskPerformance{};
    const std::u16string readSize = m_context.text ? m_context.text->FormatByteSize(performance.bytesRead) : u"";
    const std::u16string writeSize = m_context.text ? m_context.text->FormatByteSize(performance.bytesWritten) : u"";

    text = m_device->name;
    if (m_device->kind == DEVICE_PHYSICAL) {
        AppendAscii(text, " - ");
        text += m_device->description;
        AppendAscii(text, "\r\n Data Read: ");
    } else {
        AppendAscii(text, " \r\n Data Read: ");
    }
    text += readSize;
    text += u' ';
    AppendExactNumber(text, performance.bytesRead);
    AppendAscii(text, " \tData Write: ");
    text += writeSize;
    text += u' ';
    AppendExactNumber(text, performance.bytesWritten);
    AppendRepairAdvice(text);
    return true;
}

void CHardDiskIndicatorInfo::AppendRepairAdvice(std::u16string& text) const {
    const std::u16string_view advice = CounterRepairAdvice(m_counterHealth);
    if (advice.empty()) return;
    if (text.size() < 2 || text.compare(text.size() - 2, 2, u"\r\n") != 0) AppendAscii(text, "\r\n");
    text += advice;
}

CAllInOneIndicatorInfo::CAllInOneIndicatorInfo(const SamplerContext& context) : CHardDiskIndicatorInfo(context) {}

bool CAllInOneIndicatorInfo::Open() {
    if (!m_context.devices) return true;
    for (const DeviceRecord& record : *m_context.devices) {
        if (record.kind != DEVICE_PHYSICAL) continue;
        auto child = std::make_unique<CHardDiskIndicatorInfo>(m_context);
        child->m_device = const_cast<DeviceRecord*>(&record);
        child->Open();
        m_children.push_back(std::move(child));
    }
    return true;
}

bool CAllInOneIndicatorInfo::Close() {
    for (auto& child : m_children) child->Close();
    m_children.clear();
    return true;
}

ActivityState CAllInOneIndicatorInfo::Update() {
    ActivityState state = 0;
    for (auto& child : m_children) state |= child->Update();
    m_state = state;
    return state;
}

bool CAllInOneIndicatorInfo::GetStatisticsText(std::u16string& text) {
    text = m_device ? m_device->name : std::u16string();
    AppendAscii(text, "\r\n");
    std::u16string childText;
    for (auto& child : m_children) {
        childText.clear();
        child->GetStatisticsText(childText);
        text += childText;
        AppendAscii(text, "\r\n");
    }
    AppendRepairAdvice(text);
    return true;
}

}  // namespace lumora
