#include "app/device_set.h"

#include <algorithm>

#include "indicators/lamp_scale.h"
#include "sampling/counter_sampler.h"
#include "sampling/drive_identity.h"
#include "sampling/hard_disk_sampler.h"
#include "sampling/perf_data_format.h"
#include "sampling/registry_access.h"
#include "sampling/system_disks.h"
#include "sampling/text_format.h"
#include "support/trace_log.h"

namespace lumora {

DeviceSetContext g_deviceSetContext;
std::vector<DeviceRecord> g_devices;
std::vector<std::unique_ptr<__gui_data>> g_indicators;

namespace {
CounterHealth g_counterHealth = CounterHealth::usable;
}  // namespace

__gui_data::__gui_data() = default;
__gui_data::~__gui_data() = default;

namespace {

constexpr char16_t kTotalInstance[] = u"_Total";
constexpr char16_t kVolumeWithoutLetter[] = u"HarddiskVolume";

// The drive number that leads a PhysicalDisk instance name ("0 C: D:", "1"); false for names
// that do not start with one. The number must be written as the drive's path writes it, without
// leading zeros: the counter sampler finds its instance again by those very digits, so a drive
// taken from "01 C:" would look for "1" and read nothing but zeros. The system never writes
// drive numbers that way, so such a name is no drive of ours.
bool ParseDriveNumber(const std::u16string& name, uint32_t& number) {
    uint64_t value = 0;
    size_t digits = 0;
    while (digits < name.size() && name[digits] >= u'0' && name[digits] <= u'9') {
        value = value * 10 + (name[digits] - u'0');
        if (value > 0xFFFFFFFFu) return false;
        ++digits;
    }
    if (digits == 0 || (digits < name.size() && name[digits] != u' ')) return false;
    if (digits > 1 && name[0] == u'0') return false;
    number = static_cast<uint32_t>(value);
    return true;
}

DeviceRecord MakeRecord(std::u16string path, std::u16string name, std::u16string label, uint32_t kind) {
    DeviceRecord record;
    record.path = std::move(path);
    record.name = std::move(name);
    record.label = std::move(label);
    record.kind = kind;
    return record;
}

void AddPhysicalDrive(uint32_t number) {
    const std::u16string digits = DecimalText(number);
    g_devices.push_back(MakeRecord(PhysicalDrivePath(number), u"Physical Drive " + digits, digits, DEVICE_PHYSICAL));
}

// Numbered from the instance names rather than counted from 0, so that a machine whose drive
// numbers have gaps shows the drives it has.
std::vector<uint32_t> DriveNumbersOf(const std::vector<std::u16string>& names) {
    std::vector<uint32_t> numbers;
    for (const std::u16string& name : names) {
        uint32_t number;
        if (name != kTotalInstance && ParseDriveNumber(name, number)) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

// From LogicalDisk instance names, or from drive letters named as those instances are, so that
// a lamp keeps its settings section whichever way its disk was found.
void AddLogicalDisks(const std::vector<std::u16string>& names) {
    for (const std::u16string& name : names) {
        g_trace.TracePart(u"Enumed instance: ");
        g_trace.Trace(name);
        if (name == kTotalInstance) break;

        std::u16string label = name;
        const std::u16string_view prefix(kVolumeWithoutLetter);
        if (name.compare(0, prefix.size(), prefix) == 0) label = u"hd" + name.substr(prefix.size());

        const std::u16string root = name + u"\\";
        std::u16string volumeName;
        std::u16string displayName = name;
        if (g_deviceSetContext.volumes && g_deviceSetContext.volumes->GetVolumeName(root, volumeName)) {
            displayName = root + u" - " + volumeName;
        }
        g_devices.push_back(MakeRecord(u"\\\\.\\" + name, std::move(displayName), std::move(label), DEVICE_LOGICAL));
    }
}

std::unique_ptr<__performance_data> MakeSampler(const DeviceRecord& device) {
    const DeviceSetContext& context = g_deviceSetContext;
    const SamplerContext samplerContext{context.registry, context.disks, context.text, &g_devices};
    if (g_counterHealth == CounterHealth::usable) return std::make_unique<CRegistryAccessIndicator>(samplerContext);
    std::unique_ptr<CHardDiskIndicatorInfo> sampler;
    if (device.kind == DEVICE_ALL_IN_ONE) {
        sampler = std::make_unique<CAllInOneIndicatorInfo>(samplerContext);
    } else {
        sampler = std::make_unique<CHardDiskIndicatorInfo>(samplerContext);
    }
    sampler->m_counterHealth = g_counterHealth;
    return sampler;
}

void SaveRecord(__gui_data& record, const DeviceRecord& device) {
    if (record.m_settingsFile) record.m_settingsFile->SerializeIndicator(record, true, device.name);
}

}  // namespace

void EnumDrives() {
    // Samplers and windows point into g_devices: it must not move while records exist.
    if (!g_indicators.empty()) return;
    const DeviceSetContext& context = g_deviceSetContext;
    const CounterCheck check = context.registry ? CheckDiskCounters(*context.registry) : CounterCheck{};
    g_counterHealth = check.health;
    std::vector<uint32_t> drives;
    std::vector<std::u16string> volumes;
    if (check.health == CounterHealth::usable) {
        drives = DriveNumbersOf(check.physicalNames);
        volumes = check.logicalNames;
    } else if (context.systemDisks) {
        // Without the counters the user would see one lamp for everything and no reason why.
        g_trace.Trace(u"Disk counters unusable: disks found through the system");
        drives = FindPhysicalDrives(*context.systemDisks);
        volumes = FindDiskLetters(*context.systemDisks);
    }
    if (g_devices.empty()) {
        for (uint32_t number : drives) AddPhysicalDrive(number);
        // Asked here, once per build, and never in the update tick: a driver's answer can take
        // a while, and the model of a drive does not change while it is plugged in.
        if (context.systemDisks) DescribePhysicalDrives(g_devices, *context.systemDisks);
    }
    g_devices.push_back(MakeRecord(u"_Total", u"All-In-One", u"All", DEVICE_ALL_IN_ONE));
    AddLogicalDisks(volumes);
}

void CreateIndicators() {
    // Only devices without a record get one, so that entry i keeps belonging to device i.
    for (size_t i = g_indicators.size(); i < g_devices.size(); ++i) {
        DeviceRecord& device = g_devices[i];
        auto record = std::make_unique<__gui_data>();
        record->m_settingsFile = g_deviceSetContext.store;
        const LampPlace start = LampStartPlace(i);
        record->m_x = start.x;
        record->m_y = start.y;
        record->m_sampler = MakeSampler(device);
        record->m_sampler->m_device = &device;
        if (record->m_settingsFile) record->m_settingsFile->SerializeIndicator(*record, false, device.name);
        g_indicators.push_back(std::move(record));
    }
    g_trace.Trace(u"Creating indicators done.");
}

bool CreateIndicatorWindows() {
    const DeviceSetContext& context = g_deviceSetContext;
    const uint32_t mode = context.indicationMode ? static_cast<uint32_t>(*context.indicationMode) : 0;
    int index = 0;
    for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) {
        DeviceRecord& device = g_devices[i];
        __gui_data& record = *g_indicators[i];
        if (device.hWnd) {
            if (context.windows) context.windows->DestroyIndicatorWindow(device.hWnd);
            device.hWnd = nullptr;
        }
        if (record.m_visible && (device.kind & mode) != 0) {
            if (context.windows) device.hWnd = context.windows->CreateIndicatorWindow(device, record, index);
            ++index;
        }
    }
    if (context.store) context.store->SaveSettings();
    return true;
}

void DestroyIndicators() {
    const DeviceSetContext& context = g_deviceSetContext;
    for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) {
        DeviceRecord& device = g_devices[i];
        if (device.hWnd) {
            if (context.windows) context.windows->DestroyIndicatorWindow(device.hWnd);
            device.hWnd = nullptr;
        }
        SaveRecord(*g_indicators[i], device);
        g_indicators[i].reset();
    }
    g_indicators.clear();
    g_devices.clear();
}

bool SaveIndicators() {
    for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) SaveRecord(*g_indicators[i], g_devices[i]);
    if (g_deviceSetContext.store) g_deviceSetContext.store->SaveSettingsFile();
    return true;
}

void SaveAndDeleteIndicators() {
    IndicatorWindows* windows = g_deviceSetContext.windows;
    for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) {
        SaveRecord(*g_indicators[i], g_devices[i]);
        // Messages reach a lamp until the process ends: activation passes to one as soon as
        // another window of ours goes, and it must not find a deleted record then.
        if (g_devices[i].hWnd && windows) windows->DetachIndicatorWindow(g_devices[i].hWnd);
        g_indicators[i].reset();
    }
    g_indicators.clear();
}

CounterHealth DeviceSetCounterHealth() { return g_counterHealth; }

bool RefreshDeviceSetSnapshot() {
    if (g_counterHealth != CounterHealth::usable) return true;
    return g_deviceSetContext.registry && g_deviceSetContext.registry->Refresh();
}

bool DiskCountersCameBack() {
    RegistryAccess* registry = g_deviceSetContext.registry;
    if (g_counterHealth == CounterHealth::usable || !registry) return false;
    registry->ForgetCountersSwitch();
    return CheckDiskCounters(*registry).health == CounterHealth::usable;
}

}  // namespace lumora
