#pragma once
// The program's settings: g_settings, g_indicationMode, their keys in settings.ini, the values
// they start with, and the conversion of files written before the version mark existed.

#include <array>
#include <cstdint>
#include <memory>

#include "settings/ini_engine.h"

namespace lumora {

// g_indicationMode: a bit set of these device kinds, or exactly kIndicationNone.
inline constexpr int32_t kIndicationPhysical = 1;
inline constexpr int32_t kIndicationLogical = 2;
inline constexpr int32_t kIndicationAllInOne = 4;
inline constexpr int32_t kIndicationNone = 256;

inline constexpr char16_t kSectionGeneral[] = u"General";
inline constexpr char16_t kSectionAppearance[] = u"Appearance";
inline constexpr char16_t kSettingsVersion[] = u"1.104";

// The three shared lamp brushes; the Win32 side owns real GDI brushes behind this.
class LampBrushes {
public:
    virtual ~LampBrushes() = default;
    virtual void Rebuild(uint32_t colorRead, uint32_t colorWrite, uint32_t colorOff) = 0;
};

// The read, write and idle colours of the lamps, as COLORREFs (0x00BBGGRR).
struct LampPalette {
    uint32_t read, write, off;
};
// Green, red and blue: the colours "Default" puts back.
inline constexpr LampPalette kDefaultPalette{0x00FF00, 0x0000FF, 0xFF0000};
inline constexpr uint32_t kFirstRunColorOff = 0x800000;
// Blue #0072B2, orange #E69F00 and dark grey #3C3C3C, from Okabe and Ito's palette: reading and
// writing stay apart for people who cannot tell red from green, or blue from yellow.
inline constexpr LampPalette kColourBlindSafePalette{0xB27200, 0x009FE6, 0x3C3C3C};

// The on/off options that a load with a page shows as it reads them. Which control shows each
// is the page's business.
enum SettingsCheck {
    kCheckUseKeyboardLed,
    kCheckUseKeyboardLedDirectAccess,
    kCheckShowTrayIcon,
    kCheckUseTrayLed,
    kCheckShowIndicatorLabel,
};

// The page that a load sets the check boxes of (the Appearance page).
class SettingsPageChecks {
public:
    virtual ~SettingsPageChecks() = default;
    virtual void SetCheck(SettingsCheck option, bool checked) = 0;
    virtual void Enable(SettingsCheck option, bool enabled) = 0;
};

class CSettings {
public:
    CSettings() = default;
    ~CSettings() = default;
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    int32_t Opacity = 255;
    int32_t Frequency = 30;
    // A first run starts with the default read and write colours but a darker idle blue than
    // "Default" puts back.
    uint32_t ColorRead = kDefaultPalette.read;
    uint32_t ColorWrite = kDefaultPalette.write;
    uint32_t ColorOff = kFirstRunColorOff;
    int32_t StartWithWindows = 1;
    int32_t UseKeyboardLed = 0;
    int32_t UseKeyboardLedDirectAccess = 0;
    int32_t UseTrayLed = 0;
    int32_t ShowTrayIcon = 1;
    int32_t StatPageRefresh = 1;
    int32_t ShowIndicatorLabel = 1;
    // Set from the command line; never stored in the file.
    bool SilentStart = false;
    // The intervals the Appearance page offers, slow to fast, in milliseconds.
    static constexpr std::array<int32_t, 9> UpdateIntervals{1000, 700, 500, 300, 200, 100, 70, 50, 30};

    void AttachBrushes(std::unique_ptr<LampBrushes> brushes) { m_brushes = std::move(brushes); }
    LampBrushes* Brushes() const { return m_brushes.get(); }
    void RebuildBrushes();
    // The palette's three colours, with the brushes rebuilt.
    void ApplyPalette(const LampPalette& palette);

    void Load(const CIniEx& ini, SettingsPageChecks* page = nullptr);
    void Save(CIniEx& ini) const;
    // The same on g_ini; nothing happens when it does not exist.
    void Load(SettingsPageChecks* page = nullptr);
    void Save() const;

    // The values that "Default" puts back (the rest of the reset belongs to the options window):
    // colours, opacity, interval and both LED options, with the brushes rebuilt.
    void ApplyDefaultAppearance();

private:
    std::unique_ptr<LampBrushes> m_brushes;
};

extern CSettings g_settings;
extern int32_t g_indicationMode;

// Reads (load) or writes the mode, the version mark and the record. False when there is no engine.
bool SerializeSettings(CIniEx* ini, CSettings& settings, int32_t& indicationMode, bool load);
bool SerializeSettings(bool load);

}  // namespace lumora
