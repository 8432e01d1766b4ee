#pragma once
// The command that the user's Run key holds so that the program starts with the logon.

#include <string>
#include <string_view>

namespace lumora {

// The value's name under the Run key; it stays the same whatever the executable is called.
inline constexpr char16_t kRunValueName[] = u"lumora.exe";
inline constexpr char16_t kRunKeyPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// "<folder>\<file name>" s. The path is quoted so that a folder with blanks (Program Files)
// cannot be read as another program followed by arguments.
std::u16string BuildRunCommand(std::u16string_view moduleFolder, std::u16string_view executableName);

// The data of the Run value for the setting: the command when it is on, empty when it is off.
std::u16string RunValueData(int startWithWindows, std::u16string_view moduleFolder,
                            std::u16string_view executableName);

}  // namespace lumora
