// The test disk-counter source as a Windows performance provider. Wine loads it for every
// RegQueryValueExW(HKEY_PERFORMANCE_DATA, ...) in the querying process and appends what
// CollectPerfData writes to the block it answers with.

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "sampling/perf_data_format.h"
#include "support/win_owners.h"
#include "tools/perfsource/diskstats.h"
#include "tools/perfsource/perf_block_writer.h"
#include "tools/perfsource/scenario.h"

namespace lumora::perfsource {
namespace {

constexpr wchar_t kProviderKey[] = L"System\\CurrentControlSet\\Services\\LumoraTestDisk\\Performance";
constexpr DWORD kMaxScenarioPathBytes = 32768 * sizeof(wchar_t);
// Far above any scenario or /proc file a test meets; keeps a stray huge file from exhausting memory.
constexpr size_t kMaxFileBytes = 8u << 20;
// Wine's header sits at most 88 bytes plus a computer name before the pointer it hands over.
constexpr uintptr_t kHeaderSearchSpan = 1024;
constexpr uintptr_t kWineDataOffsetBug = sizeof(perf::DataBlock);

bool ReadWholeFile(const std::wstring& path, std::string& contents) {
    // Tests replace the scenario while the program runs, so nobody is locked out.
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    contents.clear();
    // /proc files report a size of 0, so read until the end rather than by size.
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) return false;
        if (read == 0) return true;
        if (contents.size() + read > kMaxFileBytes) return false;
        contents.append(chunk.data(), read);
    }
}

// Empty: live mode (no key, no value, or an empty value). Nothing: a value that is unusable.
std::optional<std::wstring> ReadScenarioPath() {
    RegistryKeyHandle key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProviderKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) {
        return std::wstring();
    }
    DWORD type = 0;
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key.get(), L"Scenario", nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return std::wstring();
    if (status != ERROR_SUCCESS || type != REG_SZ || bytes > kMaxScenarioPathBytes) return std::nullopt;

    std::wstring path(bytes / sizeof(wchar_t) + 1, L'\0');
    status = ::RegQueryValueExW(key.get(), L"Scenario", nullptr, &type, reinterpret_cast<BYTE*>(path.data()), &bytes);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    // The stored string need not carry its NUL.
    path.resize(::wcsnlen(path.c_str(), bytes / sizeof(wchar_t)));
    return path;
}

Scenario LoadScenario() {
    Scenario scenario;
    const std::optional<std::wstring> path = ReadScenarioPath();
    if (!path) {
        scenario.kind = Scenario::Kind::nothing;
    } else if (path->empty()) {
        scenario.kind = Scenario::Kind::live;
    } else {
        std::string text;
        if (!ReadWholeFile(*path, text)) {
            scenario.kind = Scenario::Kind::nothing;
        } else {
            ParseScenario(text, scenario, nullptr);  // a malformed file already reads as "nothing"
        }
    }
    return scenario;
}

std::wstring WidenAscii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

using UnixFileNameFunction = char*(CDECL*)(const WCHAR*);

// Wine's own export; on anything else the drives simply sit on no disk.
UnixFileNameFunction FindUnixFileNameFunction() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel ? ::GetProcAddress(kernel, "wine_get_unix_file_name") : nullptr;
    return reinterpret_cast<UnixFileNameFunction>(reinterpret_cast<void (*)()>(found));
}

std::vector<DriveLocation> FindDrives() {
    const UnixFileNameFunction toUnix = FindUnixFileNameFunction();
    const DWORD present = ::GetLogicalDrives();
    std::vector<DriveLocation> drives;
    for (int i = 0; i < 26; ++i) {
        if ((present & (1u << i)) == 0) continue;
        DriveLocation drive;
        drive.letter = static_cast<char>('A' + i);
        if (toUnix) {
            const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
            // Wine allocates the answer on the process heap.
            if (char* unixPath = toUnix(root)) {
                drive.unixPath = unixPath;
                ::HeapFree(::GetProcessHeap(), 0, unixPath);
            }
        }
        drives.push_back(std::move(drive));
    }
    return drives;
}

std::vector<PerfObjectModel> LiveObjects() {
    std::string diskstats;
    std::string mountinfo;
    ReadWholeFile(L"Z:\\proc\\diskstats", diskstats);
    ReadWholeFile(L"Z:\\proc\\self\\mountinfo", mountinfo);
    BlockTopology topology;
    topology.isWholeDisk = [](const std::string& name) { return IsDirectory(L"Z:\\sys\\block\\" + WidenAscii(name)); };
    topology.isPartitionOf = [](const std::string& disk, const std::string& partition) {
        return IsDirectory(L"Z:\\sys\\block\\" + WidenAscii(disk) + L"\\" + WidenAscii(partition));
    };
    return BuildLiveObjects(diskstats, mountinfo, topology, FindDrives());
}

bool IsReadable(DWORD protection) {
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (protection & kReadable) != 0 && (protection & (PAGE_GUARD | PAGE_NOACCESS)) == 0;
}

// The lowest address down to which the bytes below `from` can be read, at most `span` below.
uintptr_t LowestReadableBelow(const uint8_t* from, uintptr_t span) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(from);
    const uintptr_t floor = start > span ? start - span : 0;
    uintptr_t lowest = start;
    while (lowest > floor) {
        MEMORY_BASIC_INFORMATION region{};
        if (!::VirtualQuery(reinterpret_cast<const void*>(lowest - 1), &region, sizeof(region))) break;
        if (region.State != MEM_COMMIT || !IsReadable(region.Protect)) break;
        const auto base = reinterpret_cast<uintptr_t>(region.BaseAddress);
        lowest = base > floor ? base : floor;
    }
    return lowest;
}

struct Destination {
    uint8_t* at;
    size_t capacity;
    uint64_t callerBufferSize;
};

// Wine 8 hands Collect a pointer 88 bytes past the end of its block (and a size that fits
// from the true end); a fixed Wine or Windows hands the end itself. The block header tells
// which: its TotalByteLength says where the data really ends.
Destination FindDestination(void* handed, DWORD handedSize) {
    auto* const pointer = static_cast<uint8_t*>(handed);
    const uintptr_t readableSpan = reinterpret_cast<uintptr_t>(pointer) - LowestReadableBelow(pointer, kHeaderSearchSpan);
    for (uintptr_t back = sizeof(perf::DataBlock); back <= readableSpan; back += 8) {
        perf::DataBlock header;
        std::memcpy(&header, pointer - back, sizeof(header));
        if (std::memcmp(header.signature, u"PERF", sizeof(header.signature)) != 0) continue;
        if (header.headerLength < sizeof(perf::DataBlock) || header.totalByteLength < header.headerLength) continue;
        if (back == header.totalByteLength + kWineDataOffsetBug) {
            return {pointer - kWineDataOffsetBug, handedSize, uint64_t{handedSize} + header.totalByteLength};
        }
        if (back == header.totalByteLength) {
            return {pointer, handedSize, uint64_t{handedSize} + header.totalByteLength};
        }
    }
    return {pointer, handedSize, handedSize};
}

PerfClock ReadClock() {
    LARGE_INTEGER counter{};
    LARGE_INTEGER frequency{};
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return {counter.QuadPart, frequency.QuadPart};
}

DWORD AskForMoreData(DWORD* size, DWORD* objectCount) {
    *size = 0;
    *objectCount = 0;
    return ERROR_MORE_DATA;
}

DWORD Collect(const wchar_t* query, void** data, DWORD* size, DWORD* objectCount) {
    const Destination destination = FindDestination(*data, *size);
    const Scenario scenario = LoadScenario();
    if (scenario.kind == Scenario::Kind::fail) return AskForMoreData(size, objectCount);
    if (destination.callerBufferSize < scenario.minimumSize) return AskForMoreData(size, objectCount);

    std::vector<PerfObjectModel> objects;
    if (scenario.kind == Scenario::Kind::live) objects = LiveObjects();
    if (scenario.kind == Scenario::Kind::objects) objects = scenario.objects;
    const std::u16string_view queryText =
        query ? std::u16string_view(reinterpret_cast<const char16_t*>(query), std::wcslen(query)) : std::u16string_view();
    objects = SelectObjects(objects, ParseQuery(queryText));

    const std::optional<uint32_t> written = WriteObjectsInto(objects, ReadClock(), destination.at, destination.capacity);
    if (!written) return AskForMoreData(size, objectCount);
    *data = destination.at + *written;
    *size = *written;
    *objectCount = static_cast<DWORD>(objects.size());
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace lumora::perfsource

extern "C" {

DWORD WINAPI OpenPerfData(LPWSTR /*devices*/) {
    // Wine loads and frees providers around every query, and each load of a DLL with a static
    // C++ runtime leaks that runtime's start-up allocations (some 70 KiB); a pinned DLL loads once.
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&OpenPerfData), &self);
    return ERROR_SUCCESS;
}

DWORD WINAPI CollectPerfData(LPWSTR query, LPVOID* data, LPDWORD size, LPDWORD objectCount) {
    if (!data || !*data || !size || !objectCount) return ERROR_INVALID_PARAMETER;
    // Nothing may unwind into the caller's C frames; running out of memory answers no objects.
    try {
        return lumora::perfsource::Collect(query, data, size, objectCount);
    } catch (...) {
        *size = 0;
        *objectCount = 0;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD WINAPI ClosePerfData() { return ERROR_SUCCESS; }

}  // extern "C"
