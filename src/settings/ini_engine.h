#pragma once
// CIniEx: settings.ini held in memory, queried with typed getters, changed by setters and
// written back whole.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_platform.h"
#include "settings/ini_text.h"

namespace lumora {

class CIniEx {
public:
    // growthStep: room for this many sections is reserved up front (the program passes 4).
    CIniEx(int growthStep, SettingsFileAccess& files, const CaseMapping& caseMapping);
    virtual ~CIniEx();
    CIniEx(const CIniEx&) = delete;
    CIniEx& operator=(const CIniEx&) = delete;

    bool Open(std::u16string_view path, bool saveOnClose, bool createIfMissing, bool ignoreCase);

    std::u16string GetString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultText) const;
    int32_t GetInt(int32_t defaultValue, std::u16string_view section, std::u16string_view key) const;
    bool GetBool(bool defaultValue, std::u16string_view section, std::u16string_view key) const;

    void SetString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void SetInt(int32_t value, std::u16string_view section, std::u16string_view key);
    void SetBool(bool value, std::u16string_view section, std::u16string_view key);

    // Writes the file when the model is modified. False only when a write was due and failed;
    // the file then still holds what it held before.
    bool Save();
    void Clear();

    bool IsOpen() const { return !m_path.empty(); }
    bool IsModified() const { return m_modified; }
    const std::u16string& Path() const { return m_path; }
    const std::vector<IniSection>& Sections() const { return m_sections; }

private:
    bool NamesEqual(std::u16string_view storedName, std::u16string_view query) const;
    const IniSection* FindSection(std::u16string_view storedQuery) const;
    IniSection* FindSection(std::u16string_view storedQuery);
    static const IniEntry* FindEntry(const IniSection& section, std::u16string_view storedQuery,
                                     const CIniEx& engine);
    // The value as stored, or null when the section or the key is missing.
    const std::u16string* FindValue(std::u16string_view section, std::u16string_view key) const;

    SettingsFileAccess& m_files;
    const CaseMapping& m_caseMapping;
    std::u16string m_path;
    std::vector<IniSection> m_sections;
    bool m_modified = false;
    bool m_saveOnClose = false;
    bool m_ignoreCase = true;
};

// The engine of the running program: created and opened at start-up, deleted at shutdown.
extern std::unique_ptr<CIniEx> g_ini;

// Parses text the way wcstol(text, nullptr, 10) does, clamped to the signed 32-bit range.
int32_t ParseInt32(std::u16string_view text);
std::u16string FormatInt32(int32_t value);

}  // namespace lumora
