#pragma once
// A monitored device as the samplers, the lamps and the shell all see it. It lives here, below
// the shell, so that measuring a disk never depends on the program that shows it.

#include <cstdint>
#include <string>

namespace lumora {

// The kinds are also the bits of the indication mode: a device is shown when its kind is in
// the mode (the shell checks that the two agree).
inline constexpr uint32_t DEVICE_PHYSICAL = 1;
inline constexpr uint32_t DEVICE_LOGICAL = 2;
inline constexpr uint32_t DEVICE_ALL_IN_ONE = 4;

// An indicator window (HWND) as the platform-free code carries it.
using WindowRef = void*;

struct DeviceRecord {
    std::u16string path;
    std::u16string name;
    std::u16string label;
    WindowRef hWnd = nullptr;
    std::u16string serialNumber;
    std::u16string description;
    std::u16string extraText;
    uint32_t kind = 0;
};

// The device as a screen reader names its lamp: "Physical Drive 0 - Samsung SSD 980 PRO",
// "Physical Drive 2" for a drive that told nothing about itself, "C:\\ - System", "All-In-One".
inline std::u16string DeviceTitle(const DeviceRecord& device) {
    return device.description.empty() ? device.name : device.name + u" - " + device.description;
}

}  // namespace lumora
