#pragma once
// Fakes for the platform operations the samplers and the device set reach, and the devices and
// samplers the tests build on them.

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sampling/perf_data_format.h"
#include "sampling/registry_access.h"
#include "sampling/sampler.h"
#include "sampling/system_disks.h"
#include "sampling/text_format.h"
#include "tools/perfsource/perf_block_writer.h"

namespace lumora::testing {

// Serves `block` like RegQueryValueExW(HKEY_PERFORMANCE_DATA): "more data" while the offered
// buffer is smaller than the block (or than `minimumSize`), or `failure` when set.
struct FakePerfQuery : PerfDataQuery {
    uint32_t Query(uint8_t* buffer, uint32_t& size) override {
        offered.push_back(size);
        if (failure) return failure;
        if (size < block.size() || size < minimumSize) return kErrorMoreData;
        if (!block.empty()) std::memcpy(buffer, block.data(), block.size());
        size = static_cast<uint32_t>(block.size());
        return kErrorSuccess;
    }
    std::vector<uint8_t> block;
    size_t minimumSize = 0;
    uint32_t failure = 0;
    std::vector<uint32_t> offered;
};

struct FakePerfDisk : PerfDiskSetting {
    bool ReadDisableCounters(uint32_t& value) override {
        value = disableCounters;
        return readable;
    }
    bool readable = false;
    uint32_t disableCounters = 0;
};

// Sizes as "<n> B" and "<n/1024> KB", grouping by three with a comma.
struct FakeText : TextFormatter {
    std::u16string FormatByteSize(int64_t bytes) override { return DecimalText(static_cast<uint64_t>(bytes)) + u" B"; }
    std::u16string FormatKBSize(int64_t n) override { return DecimalText(static_cast<uint64_t>(n) / 1024) + u" KB"; }
    DigitGrouping Grouping() override { return ParseDigitGrouping(u"3;0", u","); }
};

// Disks by path; a path that is missing cannot be opened, one marked failing answers no counters.
struct FakeDisks : DiskDevices {
    struct Disk {
        DiskPerformance performance;
        bool fails = false;
    };
    struct Device : DiskDevice {
        Device(FakeDisks& o, std::u16string p) : owner(o), path(std::move(p)) { ++owner.openHandles; }
        ~Device() override { --owner.openHandles; }
        bool QueryPerformance(DiskPerformance& performance) override {
            if (!owner.disks[path].fails) performance = owner.disks[path].performance;
            return !owner.disks[path].fails;
        }
        FakeDisks& owner;
        std::u16string path;
    };
    std::unique_ptr<DiskDevice> Open(const std::u16string& path) override {
        return disks.count(path) ? std::make_unique<Device>(*this, path) : nullptr;
    }
    std::map<std::u16string, Disk> disks;
    int openHandles = 0;
};

// The system's own list: devices that exist by path, and drive roots with their types.
struct FakeSystemDisks : SystemDisks {
    bool DeviceExists(const std::u16string& path) override {
        tried.push_back(path);
        return devices.count(path) != 0;
    }
    std::vector<std::u16string> DriveRoots() override { return roots; }
    uint32_t DriveType(const std::u16string& root) override { return types.count(root) ? types[root] : 0; }
    bool StorageDescriptor(const std::u16string& path, std::vector<uint8_t>& bytes) override {
        ++driverQueries;
        if (!descriptors.count(path)) return false;
        bytes = descriptors[path];
        return true;
    }
    std::vector<uint32_t> VolumeDrives(const std::u16string& letter) override {
        ++driverQueries;
        return volumeDrives.count(letter) ? volumeDrives[letter] : std::vector<uint32_t>{};
    }
    std::map<std::u16string, bool> devices;
    std::vector<std::u16string> roots;
    std::map<std::u16string, uint32_t> types;
    std::vector<std::u16string> tried;
    std::map<std::u16string, std::vector<uint8_t>> descriptors;  // by drive path; a missing one fails
    std::map<std::u16string, std::vector<uint32_t>> volumeDrives;  // by letter, "C:"
    int driverQueries = 0;
};

// A STORAGE_DEVICE_DESCRIPTOR as a driver returns it: the 40-byte structure, then each string
// given, with its NUL; a string not given has offset 0.
inline std::vector<uint8_t> StorageDescriptor(const char* vendor, const char* product, const char* serial,
                                              uint32_t busType) {
    std::vector<uint8_t> bytes(40, 0);
    const auto put = [&bytes](size_t at, size_t value) {
        for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    const auto add = [&](size_t offsetAt, const char* text) {
        if (!text) return;
        put(offsetAt, bytes.size());
        bytes.insert(bytes.end(), text, text + std::strlen(text) + 1);
    };
    add(12, vendor);
    add(16, product);
    add(24, serial);
    put(0, 40);
    put(4, bytes.size());
    put(28, busType);
    return bytes;
}

inline DeviceRecord Device(uint32_t kind, std::u16string name = {}, std::u16string path = {}) {
    DeviceRecord device;
    device.kind = kind;
    device.name = std::move(name);
    device.path = std::move(path);
    return device;
}

// An idle sampler that says `text`, or leaves the text as it finds it when `text` is null.
struct StubSampler : __performance_data {
    explicit StubSampler(const char16_t* t = nullptr) : __performance_data(SamplerContext{}), text(t) {}
    ActivityState Update() override { return 0; }
    bool GetStatisticsText(std::u16string& out) override {
        if (text) out = text;
        return true;
    }
    bool Open() override { return true; }
    bool Close() override { return true; }
    const char16_t* text;
};

inline constexpr uint32_t kQueueType = perf::kCounter100nsQueueLen;
inline constexpr uint32_t kCountType = perf::kCounterCounter;

// The counters a counter sampler reads, in one instance.
struct DiskCounters {
    uint64_t queue = 0, readBytes = 0, writeBytes = 0, reads = 0, writes = 0, readQueue = 0, writeQueue = 0;
};

inline perfsource::PerfInstanceModel DiskInstance(std::u16string name, const DiskCounters& c) {
    constexpr uint32_t kBulk = perf::kAverageBulk;
    return {std::move(name),
            {{1400, kQueueType, 8, c.queue}, {226, kBulk, 8, c.readBytes}, {228, kBulk, 8, c.writeBytes},
             {214, kCountType, 4, c.reads}, {216, kCountType, 4, c.writes}, {1402, kQueueType, 8, c.readQueue},
             {1404, kQueueType, 8, c.writeQueue}}};
}

inline perfsource::PerfObjectModel DiskObject(uint32_t index, std::vector<perfsource::PerfInstanceModel> instances) {
    return {index, false, {}, std::move(instances)};
}

}  // namespace lumora::testing
