#pragma once
// What every sampler shares: the activity state, the abstract sampler, the platform operations
// the samplers need (the disk driver's counters, the system's byte-size texts, the user's digit
// grouping) and the exact-number text that follows every byte size.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sampling/device_record.h"

namespace lumora {

class RegistryAccess;

// Bits 16-31 reading, bits 0-15 writing, 0 idle.
using ActivityState = uint32_t;

// The fields of DISK_PERFORMANCE the samplers read.
struct DiskPerformance {
    int64_t bytesRead = 0;
    int64_t bytesWritten = 0;
    uint32_t readCount = 0;
    uint32_t writeCount = 0;
    uint32_t queueDepth = 0;
};

// An opened disk or volume; IOCTL_DISK_PERFORMANCE on its handle.
class DiskDevice {
public:
    virtual ~DiskDevice() = default;
    virtual bool QueryPerformance(DiskPerformance& performance) = 0;
};

// CreateFileW on "\\.\PHYSICALDRIVEn" or "\\.\C:"; null when the device cannot be opened.
class DiskDevices {
public:
    virtual ~DiskDevices() = default;
    virtual std::unique_ptr<DiskDevice> Open(const std::u16string& path) = 0;
};

// GetVolumeInformationW on a root such as "C:\": the volume's label.
class VolumeNames {
public:
    virtual ~VolumeNames() = default;
    virtual bool GetVolumeName(const std::u16string& root, std::u16string& volumeName) = 0;
};

// The user's digit grouping: LOCALE_SGROUPING ("3;0", "3;2;0", "3", "0") and LOCALE_STHOUSAND.
struct DigitGrouping {
    std::u16string separator;
    std::vector<uint8_t> sizes;  // from the rightmost group leftwards
    bool repeatLast = false;     // the text ended in ";0": the last size repeats
};

DigitGrouping ParseDigitGrouping(std::u16string_view groupingText, std::u16string separator);
std::u16string GroupDigits(uint64_t value, const DigitGrouping& grouping);

// The system's texts for sizes: StrFormatByteSizeW, StrFormatKBSizeW, and the grouping.
class TextFormatter {
public:
    virtual ~TextFormatter() = default;
    virtual std::u16string FormatByteSize(int64_t bytes) = 0;
    virtual std::u16string FormatKBSize(int64_t bytes) = 0;
    virtual DigitGrouping Grouping() = 0;
};

// What a sampler may reach; any of them may be missing in a test, and is then not used.
struct SamplerContext {
    RegistryAccess* registry = nullptr;
    DiskDevices* disks = nullptr;
    TextFormatter* text = nullptr;
    const std::vector<DeviceRecord>* devices = nullptr;  // for the All-In-One sampler's children
};

class __performance_data {
public:
    explicit __performance_data(const SamplerContext& context) : m_context(context) {}
    virtual ~__performance_data() = default;
    __performance_data(const __performance_data&) = delete;
    __performance_data& operator=(const __performance_data&) = delete;

    virtual ActivityState Update() = 0;
    // Replaces `text` with the device's statistics, or leaves it as it was when the sampler has
    // none for this kind of device.
    virtual bool GetStatisticsText(std::u16string& text) = 0;
    virtual bool Open() = 0;
    virtual bool Close() = 0;
    virtual bool BeforeUpdate() { return true; }
    virtual bool AfterUpdate() { return true; }

    // Appends "(n)", n grouped as the user's locale groups digits.
    std::u16string& AppendExactNumber(std::u16string& text, int64_t value) const;

    // The statistics text into a caller's buffer of `capacity` units, cut to fit with its NUL.
    bool WriteStatisticsText(char16_t* buffer, size_t capacity);

    DeviceRecord* m_device = nullptr;
    ActivityState m_state = 0;

protected:
    SamplerContext m_context;
};

}  // namespace lumora
