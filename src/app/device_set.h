#pragma once
// The set of monitored devices and their indicator records: which disks there are (from the
// performance data, or from the system itself when its disk counters cannot be used), which
// sampler measures each, and the records that the indicator windows
// and the options pages work with. The windows and the settings file are reached through
// small interfaces so that the rules hold, and are tested, without Windows.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "indicators/lamp_record.h"
#include "sampling/counter_health.h"
#include "sampling/device_record.h"
#include "sampling/sampler.h"
#include "settings/settings_store.h"

namespace lumora {

class RegistryAccess;
class SystemDisks;
class __performance_data;
class __gui_data;

static_assert(DEVICE_PHYSICAL == kIndicationPhysical && DEVICE_LOGICAL == kIndicationLogical &&
                  DEVICE_ALL_IN_ONE == kIndicationAllInOne,
              "a device is shown when its kind is a bit of the indication mode");

// SerializeIndicator and the settings file behind it.
class IndicatorStore {
public:
    virtual ~IndicatorStore() = default;
    // Load (save false) or save "x", "y" and "visible" of the record in the section.
    virtual void SerializeIndicator(__gui_data& record, bool save, std::u16string_view section) = 0;
    // CIniEx::Save: write the settings file.
    virtual void SaveSettingsFile() = 0;
    // SerializeSettings(false): store the settings and write the file.
    virtual void SaveSettings() = 0;
};

class IndicatorWindows {
public:
    virtual ~IndicatorWindows() = default;
    // CreateIndicatorWindow; null when the window cannot be created.
    virtual WindowRef CreateIndicatorWindow(DeviceRecord& device, __gui_data& record, int index) = 0;
    // DestroyWindow, which closes the record's sampler.
    virtual void DestroyIndicatorWindow(WindowRef window) = 0;
    // The window lets go of its record, which is about to be deleted, and closes its sampler; the
    // window itself lives on until the process ends.
    virtual void DetachIndicatorWindow(WindowRef window) = 0;
};

// The indicator record: one per device, entry i of g_indicators belongs to entry i of g_devices.
// Its lamp's fields (position, enable flag, flash, sampler) live in LampRecord.
class __gui_data : public LampRecord {
public:
    __gui_data();
    ~__gui_data() override;

    IndicatorStore* m_settingsFile = nullptr;  // may be null
};

// Everything the device set reaches. Missing parts are skipped: no store, nothing is loaded or
// saved; no windows, no window is made.
struct DeviceSetContext {
    RegistryAccess* registry = nullptr;
    VolumeNames* volumes = nullptr;
    DiskDevices* disks = nullptr;
    TextFormatter* text = nullptr;
    IndicatorStore* store = nullptr;
    IndicatorWindows* windows = nullptr;
    const int32_t* indicationMode = nullptr;  // g_indicationMode: a set of kinds, or 256 for none
    SystemDisks* systemDisks = nullptr;       // the disks when the counters cannot find them
};

extern DeviceSetContext g_deviceSetContext;
extern std::vector<DeviceRecord> g_devices;
extern std::vector<std::unique_ptr<__gui_data>> g_indicators;

void EnumDrives();
void CreateIndicators();
bool CreateIndicatorWindows();
void DestroyIndicators();
bool SaveIndicators();
// Shutdown: save and delete every record with its sampler; the windows, detached from them, go
// with the process.
void SaveAndDeleteIndicators();

// How the last EnumDrives found the devices: usable counters, or the system's own list and
// the disk driver because the counters were switched off or broken.
CounterHealth DeviceSetCounterHealth();
// The update tick's one snapshot. None is read while the driver measures every device, so that
// a failing query cannot keep the lamps from being sampled.
bool RefreshDeviceSetSnapshot();
// Asked now and then while the devices were found without the counters: true once the
// counters can be used again, and the set is then due to be rebuilt from them.
bool DiskCountersCameBack();

}  // namespace lumora
