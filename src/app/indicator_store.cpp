#include "app/indicator_store.h"

#include "settings/ini_engine.h"
#include "settings/settings_store.h"

namespace lumora {

void SettingsIndicatorStore::SerializeIndicator(__gui_data& record, bool save, std::u16string_view section) {
    CIniEx* ini = m_engine();
    if (!ini) return;
    if (save) {
        ini->SetInt(record.m_x, section, u"x");
        ini->SetInt(record.m_y, section, u"y");
        ini->SetBool(record.m_visible, section, u"visible");
        return;
    }
    record.m_x = ini->GetInt(record.m_x, section, u"x");
    record.m_y = ini->GetInt(record.m_y, section, u"y");
    record.m_visible = ini->GetBool(true, section, u"visible");
}

void SettingsIndicatorStore::SaveSettingsFile() {
    if (CIniEx* ini = m_engine()) ini->Save();
}

void SettingsIndicatorStore::SaveSettings() { SerializeSettings(m_engine(), g_settings, g_indicationMode, false); }

IndicatorStore& ProgramIndicatorStore() {
    static SettingsIndicatorStore store([]() { return g_ini.get(); });
    return store;
}

}  // namespace lumora
