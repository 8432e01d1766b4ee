#include "sampling/win32_sampling.h"

#include <windows.h>
#include <winioctl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "support/wide_text.h"
#include "support/win32_device_query.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

class Win32DiskDevice final : public DiskDevice {
public:
    explicit Win32DiskDevice(FileHandle handle) : m_handle(std::move(handle)) {}

    bool QueryPerformance(DiskPerformance& performance) override {
        DISK_PERFORMANCE answer{};
        if (!QueryDevice(m_handle.get(), IOCTL_DISK_PERFORMANCE, answer)) return false;
        performance.bytesRead = answer.BytesRead.QuadPart;
        performance.bytesWritten = answer.BytesWritten.QuadPart;
        performance.readCount = answer.ReadCount;
        performance.writeCount = answer.WriteCount;
        performance.queueDepth = answer.QueueDepth;
        return true;
    }

private:
    FileHandle m_handle;
};

std::u16string LocaleText(LCTYPE type) {
    wchar_t buffer[32] = {};
    if (!::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 32)) return {};
    return ToUtf16(buffer);
}

// No access right is asked for: IOCTL_DISK_PERFORMANCE needs none, while reading a raw disk or
// volume needs an administrator, which would leave every lamp of an ordinary user dark.
FileHandle OpenDeviceForQueries(const std::u16string& path) {
    return FileHandle(::CreateFileW(AsWide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

uint32_t Win32PerfDataQuery::Query(uint8_t* buffer, uint32_t& size) {
    DWORD bytes = size;
    const LSTATUS status = ::RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"234 236", nullptr, nullptr, buffer, &bytes);
    size = bytes;
    return static_cast<uint32_t>(status);
}

bool Win32PerfDiskSetting::ReadDisableCounters(uint32_t& value) {
    RegistryKeyHandle key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\PerfDisk\\Performance", 0, KEY_READ,
                        key.receive()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD data = 0;
    DWORD bytes = sizeof(data);
    if (::RegQueryValueExW(key.get(), L"Disable Performance Counters", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&data), &bytes) != ERROR_SUCCESS) {
        return false;
    }
    value = data;
    return true;
}

std::unique_ptr<DiskDevice> Win32DiskDevices::Open(const std::u16string& path) {
    FileHandle handle = OpenDeviceForQueries(path);
    if (!handle) return nullptr;
    return std::make_unique<Win32DiskDevice>(std::move(handle));
}

std::u16string Win32TextFormatter::FormatByteSize(int64_t bytes) {
    wchar_t buffer[100] = {};
    if (!::StrFormatByteSizeW(bytes, buffer, 100)) return {};
    return ToUtf16(buffer);
}

std::u16string Win32TextFormatter::FormatKBSize(int64_t bytes) {
    wchar_t buffer[100] = {};
    if (!::StrFormatKBSizeW(bytes, buffer, 100)) return {};
    return ToUtf16(buffer);
}

DigitGrouping Win32TextFormatter::Grouping() {
    // MinGW's C++ library knows only the "C" locale, and Wine's GetNumberFormatEx groups
    // wrongly, so the user's grouping is read and applied here.
    return ParseDigitGrouping(LocaleText(LOCALE_SGROUPING), LocaleText(LOCALE_STHOUSAND));
}

bool Win32VolumeNames::GetVolumeName(const std::u16string& root, std::u16string& volumeName) {
    wchar_t name[1024] = {};
    wchar_t fileSystem[1024] = {};
    DWORD scratch = 0;
    if (!::GetVolumeInformationW(AsWide(root), name, 1024, &scratch, &scratch, &scratch, fileSystem, 1024)) {
        return false;
    }
    volumeName = ToUtf16(name);
    return true;
}

bool Win32SystemDisks::DeviceExists(const std::u16string& path) {
    if (OpenDeviceForQueries(path)) return true;
    return ::GetLastError() == ERROR_ACCESS_DENIED;  // there, but not for us to open
}

std::vector<std::u16string> Win32SystemDisks::DriveRoots() {
    std::vector<wchar_t> buffer(128);
    DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {  // the size needed, with its last NUL
        buffer.resize(length + 1);
        length = ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length >= buffer.size()) return {};
    }
    std::vector<std::u16string> roots;
    for (DWORD at = 0; at < length && buffer[at];) {
        const std::u16string root = ToUtf16(&buffer[at]);
        roots.push_back(root);
        at += static_cast<DWORD>(root.size()) + 1;
    }
    return roots;
}

uint32_t Win32SystemDisks::DriveType(const std::u16string& root) { return ::GetDriveTypeW(AsWide(root)); }

bool Win32SystemDisks::StorageDescriptor(const std::u16string& path, std::vector<uint8_t>& bytes) {
    // Like the performance query, this one needs no access right, so it names the drives of
    // an ordinary user too.
    FileHandle device = OpenDeviceForQueries(path);
    if (!device) return false;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    // Room for the strings after the raw properties some buses add; a longer answer is cut,
    // which costs at worst a string that the parser then finds cut or absent.
    bytes.assign(4096, 0);
    DWORD returned = 0;
    if (!::DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), bytes.data(),
                           static_cast<DWORD>(bytes.size()), &returned, nullptr)) {
        return false;
    }
    bytes.resize(std::min<size_t>(returned, bytes.size()));
    return true;
}

std::vector<uint32_t> Win32SystemDisks::VolumeDrives(const std::u16string& letter) {
    FileHandle volume = OpenDeviceForQueries(u"\\\\.\\" + letter);
    if (!volume) return {};
    // One extent per drive a volume spans; 32 is more than any spanned volume has.
    constexpr size_t kExtentsAt = offsetof(VOLUME_DISK_EXTENTS, Extents);
    std::vector<uint8_t> answer(kExtentsAt + 32 * sizeof(DISK_EXTENT));
    DWORD returned = 0;
    std::vector<uint32_t> drives;
    if (::DeviceIoControl(volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, answer.data(),
                          static_cast<DWORD>(answer.size()), &returned, nullptr) &&
        returned >= kExtentsAt) {
        DWORD claimed = 0;
        std::memcpy(&claimed, answer.data(), sizeof(claimed));
        // Only the extents the driver wrote, whatever count it claims.
        const size_t written = (std::min<size_t>(returned, answer.size()) - kExtentsAt) / sizeof(DISK_EXTENT);
        for (size_t i = 0; i < std::min<size_t>(claimed, written); ++i) {
            DISK_EXTENT extent{};
            std::memcpy(&extent, answer.data() + kExtentsAt + i * sizeof(DISK_EXTENT), sizeof(extent));
            drives.push_back(extent.DiskNumber);
        }
    }
    // Some volume drivers (Wine's among them) answer the extents with none; a volume on one
    // partition still names its drive through its device number.
    STORAGE_DEVICE_NUMBER number{};
    if (drives.empty() && QueryDevice(volume.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, number) &&
        number.DeviceType == FILE_DEVICE_DISK) {
        drives.push_back(number.DeviceNumber);
    }
    return drives;
}

}  // namespace lumora
