#pragma once
// What a physical drive is, for the user who must tell one lamp from another: its model from
// the storage device descriptor the driver returns, its serial number, and its drive letters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/device_record.h"

namespace lumora {

class SystemDisks;

struct DriveIdentity {
    std::u16string description;  // "Samsung SSD 980 PRO 1TB", or the bus in words
    std::u16string serialNumber;
};

// Reads a STORAGE_DEVICE_DESCRIPTOR as the driver returned it, `size` bytes. The bytes come
// from a driver and are trusted for nothing: a string whose offset lies outside them, or inside
// the descriptor's fixed part, is absent, and a string ends at the last byte at the latest.
// False when the bytes are too few to hold the fixed part that names the bus.
bool ReadStorageDescriptor(const uint8_t* bytes, size_t size, DriveIdentity& identity);

// A STORAGE_BUS_TYPE in words ("NVMe disk", "USB disk"), "disk" for one this program does not know.
std::u16string BusTypeText(uint32_t busType);

// Fills description, serialNumber and extraText ("Volumes: C: D:") of every physical drive
// among the devices, asking the system once per drive and once per drive letter. A drive the
// system tells nothing about keeps them empty.
void DescribePhysicalDrives(std::vector<DeviceRecord>& devices, SystemDisks& disks);

}  // namespace lumora
