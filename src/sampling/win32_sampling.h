#pragma once
// The Win32 side of the sampling: the performance-data query, the PerfDisk value, the disk
// driver's counters, the shell's size texts, the user's digit grouping and the volume labels.

#include "sampling/registry_access.h"
#include "sampling/sampler.h"
#include "sampling/system_disks.h"

namespace lumora {

class Win32PerfDataQuery final : public PerfDataQuery {
public:
    uint32_t Query(uint8_t* buffer, uint32_t& size) override;
};

class Win32PerfDiskSetting final : public PerfDiskSetting {
public:
    bool ReadDisableCounters(uint32_t& value) override;
};

class Win32DiskDevices final : public DiskDevices {
public:
    std::unique_ptr<DiskDevice> Open(const std::u16string& path) override;
};

class Win32TextFormatter final : public TextFormatter {
public:
    std::u16string FormatByteSize(int64_t bytes) override;
    std::u16string FormatKBSize(int64_t bytes) override;
    DigitGrouping Grouping() override;
};

class Win32VolumeNames final : public VolumeNames {
public:
    bool GetVolumeName(const std::u16string& root, std::u16string& volumeName) override;
};

class Win32SystemDisks final : public SystemDisks {
public:
    bool DeviceExists(const std::u16string& path) override;
    std::vector<std::u16string> DriveRoots() override;
    uint32_t DriveType(const std::u16string& root) override;
    bool StorageDescriptor(const std::u16string& path, std::vector<uint8_t>& bytes) override;
    std::vector<uint32_t> VolumeDrives(const std::u16string& letter) override;
};

// Everything above, for the program and the test tools to hold for as long as they sample.
struct Win32SamplingPlatform {
    Win32PerfDataQuery query;
    Win32PerfDiskSetting perfDisk;
    Win32DiskDevices disks;
    Win32TextFormatter text;
    Win32VolumeNames volumes;
    Win32SystemDisks systemDisks;
};

}  // namespace lumora
