#pragma once
// The Win32 side of the settings: the file access, lowercase mapping and folder lookups that
// the INI engine and OpenSettingsFile are written against, and what the lamps are drawn with:
// the GDI brushes of the colours and the window style of the opacity.

#include <windows.h>

#include "settings/ini_platform.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "support/win_owners.h"

namespace lumora {

class Win32SettingsFileAccess final : public SettingsFileAccess {
public:
    bool ReadWhole(const std::u16string& path, bool createIfMissing, std::string& bytes) override;
    bool ReplaceWhole(const std::u16string& path, std::string_view bytes) override;
    void RemoveSaveTemporaries(const std::u16string& path) override;
};

class Win32CaseMapping final : public CaseMapping {
public:
    void Lower(std::u16string& text) const override;
};

class Win32SettingsFolders final : public SettingsFolders {
public:
    bool LocalAppData(std::u16string& folder) override;
    bool Documents(std::u16string& folder) override;
    std::u16string ModuleFolder() override;
    bool CreatePath(const std::u16string& path) override;
};

class GdiLampBrushes final : public LampBrushes {
public:
    void Rebuild(uint32_t colorRead, uint32_t colorWrite, uint32_t colorOff) override;
    HBRUSH Read() const { return m_read.get(); }
    HBRUSH Write() const { return m_write.get(); }
    HBRUSH Off() const { return m_off.get(); }
    // Counts the rebuilds, so that a lamp painted with older brushes knows to paint again.
    uint32_t Generation() const { return m_generation; }

private:
    uint32_t m_generation = 0;
    BrushHandle m_read;
    BrushHandle m_write;
    BrushHandle m_off;
};

// The platform objects of the running program. They are never destroyed, so that g_ini can
// still save through them from a static destructor.
SettingsFileAccess& SettingsFiles();
const CaseMapping& SettingsCaseMapping();
SettingsFolders& SettingsFolderLookup();

// The lamp windows' extended style at an opacity: an opaque lamp is not layered at all, which
// spares the system the blending.
inline DWORD LampExStyle(int32_t opacity) {
    return WS_EX_TOPMOST | WS_EX_TOOLWINDOW | (opacity == 255 ? 0 : WS_EX_LAYERED);
}

// Gives g_settings its GDI brushes; the lamp windows draw with these.
void InstallLampBrushes();
// The brushes of g_settings, or null before InstallLampBrushes.
const GdiLampBrushes* LampBrushesOfSettings();

}  // namespace lumora
