#pragma once
// The disks as the system itself lists them, for when its disk counters cannot: the physical
// drives that open by number, and the drive letters of fixed and removable disks.

#include <cstdint>
#include <string>
#include <vector>

namespace lumora {

// The answers of GetDriveTypeW that name a disk of this machine.
inline constexpr uint32_t kDriveRemovable = 2;
inline constexpr uint32_t kDriveFixed = 3;

class SystemDisks {
public:
    virtual ~SystemDisks() = default;
    // Whether a device such as "\\.\PHYSICALDRIVE2" exists, whatever the right to read it.
    virtual bool DeviceExists(const std::u16string& path) = 0;
    // GetLogicalDriveStringsW: the roots, such as "C:\".
    virtual std::vector<std::u16string> DriveRoots() = 0;
    // GetDriveTypeW on a root.
    virtual uint32_t DriveType(const std::u16string& root) = 0;
    // IOCTL_STORAGE_QUERY_PROPERTY's device descriptor of a drive such as "\\.\PHYSICALDRIVE0":
    // the bytes the driver returned, false when it cannot be asked.
    virtual bool StorageDescriptor(const std::u16string& path, std::vector<uint8_t>& bytes) = 0;
    // The numbers of the physical drives a volume such as "C:" lies on, from its disk extents;
    // empty when the system cannot tell.
    virtual std::vector<uint32_t> VolumeDrives(const std::u16string& letter) = 0;
};

// "\\.\PHYSICALDRIVE" and the number, as the counters' drives and the system's are opened.
std::u16string PhysicalDrivePath(uint32_t number);

// Drive numbers are tried from 0 up to this bound: a number that a removed disk left free
// does not end the search.
inline constexpr uint32_t kPhysicalDriveSearchLimit = 64;

// The numbers whose "\\.\PHYSICALDRIVEn" exists, in order.
std::vector<uint32_t> FindPhysicalDrives(SystemDisks& disks);

// "C:", "D:" and so on, as the LogicalDisk counters name them: the letters of fixed and
// removable disks, in letter order, each once.
std::vector<std::u16string> FindDiskLetters(SystemDisks& disks);

}  // namespace lumora
