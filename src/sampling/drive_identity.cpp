#include "sampling/drive_identity.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "sampling/system_disks.h"

namespace lumora {
namespace {

// STORAGE_DEVICE_DESCRIPTOR: the string offsets, the bus type, and where its fixed part ends.
constexpr size_t kVendorOffsetAt = 12;
constexpr size_t kProductOffsetAt = 16;
constexpr size_t kSerialOffsetAt = 24;
constexpr size_t kBusTypeAt = 28;
constexpr size_t kFixedPartBytes = 36;

uint32_t ReadUint32(const uint8_t* bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The NUL-ended string at the offset stored at `offsetAt`, without its surrounding blanks.
// Control characters become blanks: the text ends up on a line of the statistics, which a line
// break from a driver would tear apart.
std::u16string ReadString(const uint8_t* bytes, size_t size, size_t offsetAt) {
    const size_t offset = ReadUint32(bytes, offsetAt);
    std::u16string text;
    if (offset < kFixedPartBytes || offset >= size) return text;  // 0 is "none"; the rest is nonsense
    for (size_t at = offset; at < size && bytes[at] != 0; ++at) {
        const uint8_t unit = bytes[at];
        text += (unit < 0x20 || unit == 0x7F) ? u' ' : static_cast<char16_t>(unit);
    }
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

std::u16string BusTypeText(uint32_t busType) {
    static constexpr const char16_t* kNames[] = {
        u"disk",           u"SCSI disk",   u"ATAPI disk",    u"ATA disk",       u"FireWire disk",
        u"SSA disk",       u"Fibre Channel disk", u"USB disk", u"RAID disk",    u"iSCSI disk",
        u"SAS disk",       u"SATA disk",   u"SD card",       u"MMC card",       u"virtual disk",
        u"file-backed virtual disk", u"Storage Spaces disk", u"NVMe disk", u"storage-class memory",
        u"UFS disk",       u"NVMe-oF disk",
    };
    return busType < std::size(kNames) ? kNames[busType] : kNames[0];
}

bool ReadStorageDescriptor(const uint8_t* bytes, size_t size, DriveIdentity& identity) {
    if (!bytes || size < kBusTypeAt + 4) return false;
    const std::u16string vendor = ReadString(bytes, size, kVendorOffsetAt);
    const std::u16string product = ReadString(bytes, size, kProductOffsetAt);
    identity.description = vendor;
    if (!vendor.empty() && !product.empty()) identity.description += u' ';
    identity.description += product;
    if (identity.description.empty()) identity.description = BusTypeText(ReadUint32(bytes, kBusTypeAt));
    // Some drives give their serial number as hex digits of its ASCII: shown as given, since
    // decoding would be a guess and the digits still match the drive's label.
    identity.serialNumber = ReadString(bytes, size, kSerialOffsetAt);
    return true;
}

void DescribePhysicalDrives(std::vector<DeviceRecord>& devices, SystemDisks& disks) {
    if (std::none_of(devices.begin(), devices.end(),
                     [](const DeviceRecord& device) { return device.kind == DEVICE_PHYSICAL; })) {
        return;
    }
    // A volume that spans several drives is listed on each of them, and once on each.
    std::map<std::u16string, std::u16string> volumesByPath;
    for (const std::u16string& letter : FindDiskLetters(disks)) {
        std::vector<uint32_t> drives = disks.VolumeDrives(letter);
        std::sort(drives.begin(), drives.end());
        drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
        for (uint32_t number : drives) {
            std::u16string& text = volumesByPath[PhysicalDrivePath(number)];
            text += text.empty() ? u"Volumes: " : u" ";
            text += letter;
        }
    }
    for (DeviceRecord& device : devices) {
        if (device.kind != DEVICE_PHYSICAL) continue;
        std::vector<uint8_t> bytes;
        DriveIdentity identity;
        if (disks.StorageDescriptor(device.path, bytes) && ReadStorageDescriptor(bytes.data(), bytes.size(), identity)) {
            device.description = std::move(identity.description);
            device.serialNumber = std::move(identity.serialNumber);
        }
        const auto volumes = volumesByPath.find(device.path);
        if (volumes != volumesByPath.end()) device.extraText = volumes->second;
    }
}

}  // namespace lumora
