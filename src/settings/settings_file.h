#pragma once
// Where settings.ini lives: the local application data folder, else the documents folder, else
// the program's own folder.

#include <string>
#include <string_view>

#include "settings/ini_engine.h"

namespace lumora {

class SettingsFolders {
public:
    virtual ~SettingsFolders() = default;
    // The user's local application data folder (created when missing); false when unknown.
    virtual bool LocalAppData(std::u16string& folder) = 0;
    // The user's documents folder (created when missing); false when unknown.
    virtual bool Documents(std::u16string& folder) = 0;
    // The running program's folder ending in a separator, or empty when unknown.
    virtual std::u16string ModuleFolder() = 0;
    // Creates every missing folder along the path.
    virtual bool CreatePath(const std::u16string& path) = 0;
};

// The folder with one "\" appended unless it already ends in "\" or "/".
std::u16string WithSeparator(std::u16string_view folder);

bool OpenSettingsFile(CIniEx& ini, SettingsFolders& folders, std::u16string_view folderName,
                      std::u16string_view fileName, bool saveOnClose, bool createIfMissing, bool ignoreCase);

// The same on g_ini; false when it does not exist.
bool OpenSettingsFile(SettingsFolders& folders, std::u16string_view folderName, std::u16string_view fileName,
                      bool saveOnClose, bool createIfMissing, bool ignoreCase);

}  // namespace lumora
