#include "settings/settings_file.h"

namespace lumora {

std::u16string WithSeparator(std::u16string_view folder) {
    std::u16string joined(folder);
    if (joined.empty() || (joined.back() != u'\\' && joined.back() != u'/')) joined += u'\\';
    return joined;
}

bool OpenSettingsFile(CIniEx& ini, SettingsFolders& folders, std::u16string_view folderName,
                      std::u16string_view fileName, bool saveOnClose, bool createIfMissing, bool ignoreCase) {
    std::u16string base;
    if (folders.LocalAppData(base) || folders.Documents(base)) {
        const std::u16string folder = WithSeparator(WithSeparator(base) + std::u16string(folderName));
        // Not checked: a folder that cannot be made lets the open below fail.
        folders.CreatePath(folder);
        return ini.Open(folder + std::u16string(fileName), saveOnClose, createIfMissing, ignoreCase);
    }
    const std::u16string moduleFolder = folders.ModuleFolder();
    // Without any folder the name alone would land in whatever the working directory is.
    if (moduleFolder.empty()) return false;
    return ini.Open(moduleFolder + std::u16string(fileName), saveOnClose, createIfMissing, ignoreCase);
}

bool OpenSettingsFile(SettingsFolders& folders, std::u16string_view folderName, std::u16string_view fileName,
                      bool saveOnClose, bool createIfMissing, bool ignoreCase) {
    if (!g_ini) return false;
    return OpenSettingsFile(*g_ini, folders, folderName, fileName, saveOnClose, createIfMissing, ignoreCase);
}

}  // namespace lumora
