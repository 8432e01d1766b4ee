#include "settings/settings_file.h"

#include "support/utf16_text.h"

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

std::u16string SaveTemporaryPath(std::u16string_view path, uint32_t processId, uint32_t attempt) {
    std::u16string temporary(path);
    temporary += u'.';
    temporary += DecimalText(processId);
    temporary += u'-';
    temporary += DecimalText(attempt);
    temporary += u".tmp";
    return temporary;
}

bool IsSaveTemporaryPath(std::u16string_view path, std::u16string_view candidate) {
    if (candidate.substr(0, path.size()) != path) return false;
    std::u16string_view rest = candidate.substr(path.size());
    const auto take = [&rest](std::u16string_view text) {
        if (rest.substr(0, text.size()) != text) return false;
        rest.remove_prefix(text.size());
        return true;
    };
    const auto takeDigits = [&rest]() {
        size_t count = 0;
        while (count < rest.size() && rest[count] >= u'0' && rest[count] <= u'9') ++count;
        rest.remove_prefix(count);
        return count > 0;
    };
    return take(u".") && takeDigits() && take(u"-") && takeDigits() && rest == u".tmp";
}

}  // namespace lumora
