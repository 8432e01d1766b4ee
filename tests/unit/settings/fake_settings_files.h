#pragma once
// In-memory stand-in for the settings file system: files by path, with switchable faults.

#include <map>
#include <string>

#include "settings/ini_platform.h"

namespace lumora::testing {

class FakeSettingsFiles final : public SettingsFileAccess {
public:
    bool ReadWhole(const std::u16string& path, bool createIfMissing, std::string& bytes) override {
        if (unreadable) return false;
        auto found = files.find(path);
        if (found == files.end()) {
            if (!createIfMissing) return false;
            found = files.emplace(path, std::string()).first;
        }
        bytes = found->second;
        return true;
    }
    bool ReplaceWhole(const std::u16string& path, std::string_view bytes) override {
        ++writes;
        if (failWrites) return false;
        files[path] = std::string(bytes);
        return true;
    }
    void RemoveSaveTemporaries(const std::u16string& path) override {
        for (auto file = files.begin(); file != files.end();) {
            file = IsSaveTemporaryPath(path, file->first) ? files.erase(file) : std::next(file);
        }
    }

    std::map<std::u16string, std::string> files;
    bool unreadable = false;
    bool failWrites = false;
    int writes = 0;
};

}  // namespace lumora::testing
