#include "settings/settings_store.h"

#include <algorithm>

namespace lumora {

CSettings g_settings;
int32_t g_indicationMode = 0;

namespace {

constexpr char16_t kSectionGeneralKeys[] = u"general";

int32_t ConvertUnversionedMode(int32_t mode) {
    switch (mode) {
        case 0: return kIndicationPhysical;
        case 1: return kIndicationLogical;
        case 2: return kIndicationAllInOne;
        case 3: return 0;
        default: return mode;
    }
}

}  // namespace

void CSettings::RebuildBrushes() {
    if (m_brushes) m_brushes->Rebuild(ColorRead, ColorWrite, ColorOff);
}

void CSettings::Load(const CIniEx& ini, SettingsPageChecks* page) {
    auto check = [page](SettingsCheck option, int32_t value) {
        if (page) page->SetCheck(option, value != 0);
    };
    // The lamps take the value as one byte (256 would be invisible, -1 opaque) while the page reads
    // it as a number: a hand-edited one outside the byte's range is brought into it once, here.
    Opacity = std::clamp<int32_t>(ini.GetInt(255, kSectionAppearance, u"Opacity"), 0, 255);
    Frequency = ini.GetInt(50, kSectionAppearance, u"Frequency");
    // A stored interval 20 ms above one the Appearance page offers stands for that one (see
    // IntervalForStoredFrequency). Read the same way, a 20 stands for 0 ms, which is no interval
    // at all: the 50 ms that "Default" sets takes its place.
    if (Frequency == 20) Frequency = 50;
    const auto color = [&ini](const char16_t* key, uint32_t fallback) {
        return static_cast<uint32_t>(ini.GetInt(static_cast<int32_t>(fallback), kSectionAppearance, key));
    };
    ColorRead = color(u"ColorRead", kDefaultPalette.read);
    ColorWrite = color(u"ColorWrite", kDefaultPalette.write);
    ColorOff = color(u"ColorOff", kFirstRunColorOff);
    StatPageRefresh = ini.GetBool(true, kSectionAppearance, u"StatPageRefresh");
    StartWithWindows = ini.GetInt(1, kSectionGeneralKeys, u"StartWithWindows");
    UseKeyboardLed = ini.GetBool(false, kSectionGeneralKeys, u"UseKeyboardLed");
    check(kCheckUseKeyboardLed, UseKeyboardLed);
    UseKeyboardLedDirectAccess = ini.GetBool(true, kSectionGeneralKeys, u"UseKeyboardLedDirectAccess");
    check(kCheckUseKeyboardLedDirectAccess, UseKeyboardLedDirectAccess);
    // The direct-access choice only means something while the LED option is on.
    if (page) page->Enable(kCheckUseKeyboardLedDirectAccess, UseKeyboardLed != 0);
    ShowTrayIcon = ini.GetBool(true, kSectionGeneralKeys, u"ShowTrayIcon");
    check(kCheckShowTrayIcon, ShowTrayIcon);
    UseTrayLed = ini.GetBool(false, kSectionGeneralKeys, u"UseTrayLed");
    check(kCheckUseTrayLed, UseTrayLed);
    ShowIndicatorLabel = ini.GetBool(true, kSectionGeneralKeys, u"ShowIndicatorLabel");
    check(kCheckShowIndicatorLabel, ShowIndicatorLabel);
    RebuildBrushes();
}

void CSettings::Save(CIniEx& ini) const {
    ini.SetInt(Opacity, kSectionAppearance, u"Opacity");
    ini.SetInt(Frequency, kSectionAppearance, u"Frequency");
    ini.SetInt(static_cast<int32_t>(ColorRead), kSectionAppearance, u"ColorRead");
    ini.SetInt(static_cast<int32_t>(ColorWrite), kSectionAppearance, u"ColorWrite");
    ini.SetInt(static_cast<int32_t>(ColorOff), kSectionAppearance, u"ColorOff");
    ini.SetBool(StatPageRefresh != 0, kSectionAppearance, u"StatPageRefresh");
    ini.SetInt(StartWithWindows, kSectionGeneralKeys, u"StartWithWindows");
    ini.SetBool(UseKeyboardLed != 0, kSectionGeneralKeys, u"UseKeyboardLed");
    ini.SetBool(UseKeyboardLedDirectAccess != 0, kSectionGeneralKeys, u"UseKeyboardLedDirectAccess");
    ini.SetBool(ShowTrayIcon != 0, kSectionGeneralKeys, u"ShowTrayIcon");
    ini.SetBool(UseTrayLed != 0, kSectionGeneralKeys, u"UseTrayLed");
    ini.SetBool(ShowIndicatorLabel != 0, kSectionGeneralKeys, u"ShowIndicatorLabel");
    ini.Save();
}

void CSettings::Load(SettingsPageChecks* page) {
    if (g_ini) Load(*g_ini, page);
}

void CSettings::Save() const {
    if (g_ini) Save(*g_ini);
}

void CSettings::ApplyPalette(const LampPalette& palette) {
    ColorRead = palette.read;
    ColorWrite = palette.write;
    ColorOff = palette.off;
    RebuildBrushes();
}

void CSettings::ApplyDefaultAppearance() {
    Opacity = 255;
    Frequency = 50;
    ApplyPalette(kDefaultPalette);
    UseKeyboardLed = 0;
    UseKeyboardLedDirectAccess = 0;
}

bool SerializeSettings(CIniEx* ini, CSettings& settings, int32_t& indicationMode, bool load) {
    if (!ini) return false;
    if (!load) {
        ini->SetInt(indicationMode, kSectionGeneral, u"Class");
        ini->SetString(kSectionGeneral, u"version", kSettingsVersion);
        settings.Save(*ini);
        return true;
    }
    indicationMode = ini->GetInt(kIndicationPhysical, kSectionGeneral, u"Class");
    // No version mark: a file of an older version, or a new one. Only its mode (converted) and
    // its device sections are kept; everything else starts again from the initial values.
    if (ini->GetString(kSectionGeneral, u"version", u"none") == u"none") {
        indicationMode = ConvertUnversionedMode(indicationMode);
        SerializeSettings(ini, settings, indicationMode, false);
    }
    settings.Load(*ini);
    return true;
}

bool SerializeSettings(bool load) { return SerializeSettings(g_ini.get(), g_settings, g_indicationMode, load); }

}  // namespace lumora
