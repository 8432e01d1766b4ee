#pragma once
// The few platform operations the INI engine needs: whole-file reading and replacing, and the
// system's lowercase mapping. Win32 supplies the real ones; tests supply their own.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

// A replacement is written to "<path>.<process id>-<attempt>.tmp" beside the file and then moved
// over it; a process that dies in between leaves that file behind.
std::u16string SaveTemporaryPath(std::u16string_view path, uint32_t processId, uint32_t attempt);
// Whether the candidate is exactly such a leftover of the file at path, and nothing else.
bool IsSaveTemporaryPath(std::u16string_view path, std::u16string_view candidate);

class SettingsFileAccess {
public:
    virtual ~SettingsFileAccess() = default;

    // Reads the whole file, shared with other programs. With createIfMissing a missing file is
    // created empty first. False when the file cannot be opened or read.
    virtual bool ReadWhole(const std::u16string& path, bool createIfMissing, std::string& bytes) = 0;

    // Replaces the file's content with the bytes in one step. When this fails, the file on disk
    // is still exactly what it was before the call.
    virtual bool ReplaceWhole(const std::u16string& path, std::string_view bytes) = 0;

    // Deletes the leftovers of replacements of this file that never finished (IsSaveTemporaryPath);
    // no other file is touched.
    virtual void RemoveSaveTemporaries(const std::u16string& path) = 0;
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
