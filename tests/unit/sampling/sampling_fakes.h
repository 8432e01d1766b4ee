#pragma once
// Fakes for the platform operations the samplers and the device set reach.

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/device_set.h"
#include "sampling/registry_access.h"
#include "sampling/sampler.h"
#include "sampling/text_format.h"
#include "tools/perfsource/perf_block_writer.h"

namespace lumora::testing {

// Serves `block` like RegQueryValueExW(HKEY_PERFORMANCE_DATA): "more data" while the offered
// buffer is smaller than the block (or than `minimumSize`), or `failure` when set.
class FakePerfQuery : public PerfDataQuery {
public:
    uint32_t Query(uint8_t* buffer, uint32_t& size) override {
        offered.push_back(size);
        if (failure) return failure;
        const size_t needed = block.size() > minimumSize ? block.size() : minimumSize;
        if (size < needed) return kErrorMoreData;
        if (!block.empty()) std::memcpy(buffer, block.data(), block.size());
        size = static_cast<uint32_t>(block.size());
        return kErrorSuccess;
    }

    std::vector<uint8_t> block;
    size_t minimumSize = 0;
    uint32_t failure = 0;
    std::vector<uint32_t> offered;
};

class FakePerfDisk : public PerfDiskSetting {
public:
    bool ReadDisableCounters(uint32_t& value) override {
        ++reads;
        if (!readable) return false;
        value = disableCounters;
        return true;
    }
    bool readable = false;
    uint32_t disableCounters = 0;
    int reads = 0;
};

// Sizes as "<n> B" and "<n/1024> KB", grouping by three with a comma.
class FakeText : public TextFormatter {
public:
    std::u16string FormatByteSize(int64_t bytes) override { return DecimalText(static_cast<uint64_t>(bytes)) + u" B"; }
    std::u16string FormatKBSize(int64_t bytes) override {
        return DecimalText(static_cast<uint64_t>(bytes) / 1024) + u" KB";
    }
    DigitGrouping Grouping() override { return ParseDigitGrouping(u"3;0", u","); }
};

// Disks by path; a path that is missing cannot be opened, one marked failing answers no counters.
class FakeDisks : public DiskDevices {
public:
    struct Disk {
        DiskPerformance performance;
        bool fails = false;
    };
    class Device : public DiskDevice {
    public:
        Device(FakeDisks& owner, std::u16string path) : m_owner(owner), m_path(std::move(path)) {}
        ~Device() override { --m_owner.openHandles; }
        bool QueryPerformance(DiskPerformance& performance) override {
            Disk& disk = m_owner.disks[m_path];
            if (disk.fails) return false;
            performance = disk.performance;
            return true;
        }

    private:
        FakeDisks& m_owner;
        std::u16string m_path;
    };

    std::unique_ptr<DiskDevice> Open(const std::u16string& path) override {
        if (!disks.count(path)) return nullptr;
        ++openHandles;
        return std::make_unique<Device>(*this, path);
    }

    std::map<std::u16string, Disk> disks;
    int openHandles = 0;
};

inline constexpr uint32_t kQueueType = 0x00550500;
inline constexpr uint32_t kBulkType = 0x40020500;
inline constexpr uint32_t kCountType = 0x10410400;

// The counters a counter sampler reads, in one instance.
struct DiskCounters {
    uint64_t queue = 0, readBytes = 0, writeBytes = 0, reads = 0, writes = 0, readQueue = 0, writeQueue = 0;
};

inline perfsource::PerfInstanceModel DiskInstance(std::u16string name, const DiskCounters& c) {
    return {std::move(name),
            {{1400, kQueueType, 8, c.queue},
             {226, kBulkType, 8, c.readBytes},
             {228, kBulkType, 8, c.writeBytes},
             {214, kCountType, 4, c.reads},
             {216, kCountType, 4, c.writes},
             {1402, kQueueType, 8, c.readQueue},
             {1404, kQueueType, 8, c.writeQueue}}};
}

inline perfsource::PerfObjectModel DiskObject(uint32_t index, std::vector<perfsource::PerfInstanceModel> instances) {
    return {index, false, {}, std::move(instances)};
}

}  // namespace lumora::testing
