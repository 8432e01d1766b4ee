#include "tools/perfsource/diskstats.h"

#include "sampling/perf_data_format.h"
#include "tools/perfsource/text_fields.h"

namespace lumora::perfsource {
namespace {

using Fields = std::array<uint64_t, 11>;

// diskstats fields, counted from 1 after "major minor name".
constexpr size_t kReadsCompleted = 1;
constexpr size_t kSectorsRead = 3;
constexpr size_t kMsReading = 4;
constexpr size_t kWritesCompleted = 5;
constexpr size_t kSectorsWritten = 7;
constexpr size_t kMsWriting = 8;
constexpr size_t kWeightedMsDoingIo = 11;

constexpr uint64_t kHundredNsPerMs = 10000;
constexpr uint64_t kBytesPerSector = 512;  // diskstats counts 512-byte sectors whatever the device's own

uint64_t Field(const Fields& fields, size_t number) { return fields[number - 1]; }

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

bool ParseDeviceNumber(std::string_view text, uint32_t& major, uint32_t& minor) {
    const size_t colon = text.find(':');
    return colon != std::string_view::npos && ParseDecimal(text.substr(0, colon), major) &&
           ParseDecimal(text.substr(colon + 1), minor);
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

std::string UnescapeMountPath(std::string_view text) {
    std::string path;
    path.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && IsOctalDigit(text[i + 1]) && IsOctalDigit(text[i + 2]) &&
            IsOctalDigit(text[i + 3])) {
            path.push_back(static_cast<char>(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0')));
            i += 3;
        } else {
            path.push_back(text[i]);
        }
    }
    return path;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Memory-backed and loop devices are no disks a Windows user would see; names that could walk
// out of /sys/block are never asked about.
bool IsCandidateName(const std::string& name) {
    if (StartsWith(name, "loop") || StartsWith(name, "ram") || StartsWith(name, "zram")) return false;
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

std::vector<PerfCounterValue> DiskCounters(const Fields& fields) {
    using namespace perf;
    return {
        {kAvgDiskQueueLength, kCounter100nsQueueLen, 8, Field(fields, kWeightedMsDoingIo) * kHundredNsPerMs},
        {kAvgDiskReadQueueLength, kCounter100nsQueueLen, 8, Field(fields, kMsReading) * kHundredNsPerMs},
        {kAvgDiskWriteQueueLength, kCounter100nsQueueLen, 8, Field(fields, kMsWriting) * kHundredNsPerMs},
        {kAvgDiskBytesPerRead, kAverageBulk, 8, Field(fields, kSectorsRead) * kBytesPerSector},
        {kAvgDiskBytesPerWrite, kAverageBulk, 8, Field(fields, kSectorsWritten) * kBytesPerSector},
        {kDiskReadsPerSec, kCounterCounter, 4, Field(fields, kReadsCompleted) & 0xFFFFFFFFu},
        {kDiskWritesPerSec, kCounterCounter, 4, Field(fields, kWritesCompleted) & 0xFFFFFFFFu},
    };
}

void AddInto(Fields& sum, const Fields& fields) {
    for (size_t i = 0; i < sum.size(); ++i) sum[i] += fields[i];
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string DriveName(char letter) { return std::string(1, letter) + ":"; }

}  // namespace

std::vector<DiskStatsEntry> ParseDiskStats(std::string_view text) {
    std::vector<DiskStatsEntry> entries;
    for (std::string_view line : Lines(text)) {
        const std::vector<std::string_view> fields = SplitFields(line);
        DiskStatsEntry entry;
        if (fields.size() < 3 + entry.fields.size()) continue;
        bool numeric = ParseDecimal(fields[0], entry.major) && ParseDecimal(fields[1], entry.minor);
        for (size_t i = 0; numeric && i < entry.fields.size(); ++i) numeric = ParseDecimal(fields[3 + i], entry.fields[i]);
        if (!numeric) continue;
        entry.name = std::string(fields[2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    for (std::string_view line : Lines(text)) {
        const std::vector<std::string_view> fields = SplitFields(line);
        MountEntry mount;
        if (fields.size() < 5 || !ParseDeviceNumber(fields[2], mount.major, mount.minor)) continue;
        mount.mountPoint = UnescapeMountPath(fields[4]);
        if (mount.mountPoint.empty() || mount.mountPoint.front() != '/') continue;
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

const MountEntry* FindMount(const std::vector<MountEntry>& mounts, std::string_view unixPath) {
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : mounts) {
        const std::string& point = mount.mountPoint;
        const bool contains = point == "/" ? StartsWith(unixPath, "/")
                                           : StartsWith(unixPath, point) &&
                                                 (unixPath.size() == point.size() || unixPath[point.size()] == '/');
        if (contains && (!best || point.size() >= best->mountPoint.size())) best = &mount;
    }
    return best;
}

std::vector<PerfObjectModel> BuildLiveObjects(std::string_view diskstats, std::string_view mountinfo,
                                              const BlockTopology& topology,
                                              const std::vector<DriveLocation>& drives) {
    const std::vector<DiskStatsEntry> entries = ParseDiskStats(diskstats);
    const std::vector<MountEntry> mounts = ParseMountInfo(mountinfo);

    // Which disk each diskstats line is, or is a partition of.
    constexpr int kNoDisk = -1;
    std::vector<int> diskOfEntry(entries.size(), kNoDisk);
    std::vector<size_t> entryOfDisk;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (IsCandidateName(entries[i].name) && topology.isWholeDisk && topology.isWholeDisk(entries[i].name)) {
            diskOfEntry[i] = static_cast<int>(entryOfDisk.size());
            entryOfDisk.push_back(i);
        }
    }
    for (size_t i = 0; i < entries.size() && topology.isPartitionOf; ++i) {
        if (diskOfEntry[i] != kNoDisk || !IsCandidateName(entries[i].name)) continue;
        for (size_t disk = 0; disk < entryOfDisk.size(); ++disk) {
            if (topology.isPartitionOf(entries[entryOfDisk[disk]].name, entries[i].name)) {
                diskOfEntry[i] = static_cast<int>(disk);
                break;
            }
        }
    }

    PerfObjectModel logical{perf::kLogicalDiskObject, false, {}, {}};
    std::vector<std::string> physicalNames;
    for (size_t disk = 0; disk < entryOfDisk.size(); ++disk) physicalNames.push_back(std::to_string(disk));
    Fields logicalTotal{};
    for (const DriveLocation& drive : drives) {
        Fields fields{};
        const MountEntry* mount = drive.unixPath.empty() ? nullptr : FindMount(mounts, drive.unixPath);
        for (size_t i = 0; mount && i < entries.size(); ++i) {
            if (entries[i].major != mount->major || entries[i].minor != mount->minor) continue;
            if (diskOfEntry[i] != kNoDisk) {
                fields = entries[i].fields;
                physicalNames[static_cast<size_t>(diskOfEntry[i])] += " " + DriveName(drive.letter);
            }
            break;
        }
        AddInto(logicalTotal, fields);
        logical.instances.push_back({Widen(DriveName(drive.letter)), DiskCounters(fields)});
    }
    logical.instances.push_back({u"_Total", DiskCounters(logicalTotal)});

    PerfObjectModel physical{perf::kPhysicalDiskObject, false, {}, {}};
    Fields physicalTotal{};
    for (size_t disk = 0; disk < entryOfDisk.size(); ++disk) {
        const Fields& fields = entries[entryOfDisk[disk]].fields;
        AddInto(physicalTotal, fields);
        physical.instances.push_back({Widen(physicalNames[disk]), DiskCounters(fields)});
    }
    physical.instances.push_back({u"_Total", DiskCounters(physicalTotal)});

    std::vector<PerfObjectModel> objects;
    objects.push_back(std::move(physical));
    objects.push_back(std::move(logical));
    return objects;
}

}  // namespace lumora::perfsource
