#include "settings/run_command.h"

#include "settings/settings_file.h"

namespace lumora {

std::u16string BuildRunCommand(std::u16string_view moduleFolder, std::u16string_view executableName) {
    return u"\"" + WithSeparator(moduleFolder) + std::u16string(executableName) + u"\" s";
}

std::u16string RunValueData(int startWithWindows, std::u16string_view moduleFolder,
                            std::u16string_view executableName) {
    if (startWithWindows == 0) return std::u16string();
    return BuildRunCommand(moduleFolder, executableName);
}

}  // namespace lumora
