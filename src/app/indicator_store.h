#pragma once
// The device set's side of settings.ini: each device's section with its lamp's "x", "y" and
// "visible" keys, and the moments the file is written.

#include "app/device_set.h"

namespace lumora {

class CIniEx;

class SettingsIndicatorStore final : public IndicatorStore {
public:
    // The engine is looked up on every call: it is created at start-up and deleted at shutdown,
    // and the records may outlive it.
    using EngineLookup = CIniEx* (*)();
    explicit SettingsIndicatorStore(EngineLookup engine) : m_engine(engine) {}

    void SerializeIndicator(__gui_data& record, bool save, std::u16string_view section) override;
    void SaveSettingsFile() override;
    void SaveSettings() override;

private:
    EngineLookup m_engine;
};

// The store over the program's own g_ini and g_settings.
IndicatorStore& ProgramIndicatorStore();

}  // namespace lumora
