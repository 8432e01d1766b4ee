#pragma once
// The few platform operations the INI engine needs: whole-file reading and replacing, and the
// system's lowercase mapping. Win32 supplies the real ones; tests supply their own.

#include <string>
#include <string_view>

namespace lumora {

class SettingsFileAccess {
public:
    virtual ~SettingsFileAccess() = default;

    // Reads the whole file, shared with other programs. With createIfMissing a missing file is
    // created empty first. False when the file cannot be opened or read.
    virtual bool ReadWhole(const std::u16string& path, bool createIfMissing, std::string& bytes) = 0;

    // Replaces the file's content with the bytes in one step. When this fails, the file on disk
    // is still exactly what it was before the call.
    virtual bool ReplaceWhole(const std::u16string& path, std::string_view bytes) = 0;
};

class CaseMapping {
public:
    virtual ~CaseMapping() = default;
    virtual void Lower(std::u16string& text) const = 0;
};

// Lowercase mapping of U+0000..U+00FF, which is all the engine ever holds in memory; it agrees
// with the system's mapping on that range.
class Latin1CaseMapping final : public CaseMapping {
public:
    void Lower(std::u16string& text) const override;
};

}  // namespace lumora
