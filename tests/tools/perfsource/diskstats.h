#pragma once
// This Linux machine's disks as the PhysicalDisk and LogicalDisk objects of a Windows machine,
// from the text of /proc/diskstats and /proc/self/mountinfo. Pure: the file system is asked
// only through BlockTopology, so that the mapping is testable anywhere.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/perfsource/perf_model.h"

namespace lumora::perfsource {

struct DiskStatsEntry {
    uint32_t major = 0;
    uint32_t minor = 0;
    std::string name;
    std::array<uint64_t, 11> fields{};  // fields[0] is field 1 (reads completed)
};

// Lines too short or not numeric are skipped: kernels differ in how many fields they add.
std::vector<DiskStatsEntry> ParseDiskStats(std::string_view text);

struct MountEntry {
    uint32_t major = 0;
    uint32_t minor = 0;
    std::string mountPoint;  // octal escapes (\040 for a space) undone
};

std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mount whose mount point is the longest whole-component prefix of an absolute path; the
// later one of equal mount points, since it hides the earlier. Null when none is.
const MountEntry* FindMount(const std::vector<MountEntry>& mounts, std::string_view unixPath);

// Answers from /sys/block.
struct BlockTopology {
    std::function<bool(const std::string& name)> isWholeDisk;                             // /sys/block/NAME
    std::function<bool(const std::string& disk, const std::string& partition)> isPartitionOf;  // /sys/block/DISK/PARTITION
};

struct DriveLocation {
    char letter = 'C';
    std::string unixPath;  // empty when unknown: the drive is then on no disk
};

// Whole disks (not loop, ram or zram devices) become PhysicalDisk instances "N L: L:" numbered
// in diskstats order; drives become LogicalDisk instances "L:" carrying the counters of the
// block device that holds them (zero when that is not on a disk). Each object ends with _Total.
std::vector<PerfObjectModel> BuildLiveObjects(std::string_view diskstats, std::string_view mountinfo,
                                              const BlockTopology& topology,
                                              const std::vector<DriveLocation>& drives);

}  // namespace lumora::perfsource
