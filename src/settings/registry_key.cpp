#include "settings/registry_key.h"

#include "settings/run_command.h"
#include "settings/settings_store.h"
#include "support/file_system_helpers.h"
#include "support/wide_text.h"

namespace lumora {

bool CRegistryKey::Open(HKEY root, const wchar_t* subKey) {
    HKEY opened = nullptr;
    m_lastError = ::RegOpenKeyExW(root, subKey, 0, KEY_ALL_ACCESS, &opened);
    if (m_lastError != ERROR_SUCCESS) return false;
    m_key.reset(opened);
    return true;
}

bool CRegistryKey::SetString(const wchar_t* valueName, const std::wstring& text) {
    if (!m_key) {
        m_lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > 0xFFFFFFFFu) {
        m_lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    m_lastError = ::RegSetValueExW(m_key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>(bytes));
    return m_lastError == ERROR_SUCCESS;
}

void ApplyStartWithWindows() {
    CRegistryKey run;
    // Not checked: without the key the write below fails and the Run entry stays as it was.
    run.Open(HKEY_CURRENT_USER, AsWide(kRunKeyPath));
    const std::wstring modulePath = CFileSystemHelpers::ModuleFilePath(::GetModuleHandleW(nullptr));
    const size_t lastSeparator = modulePath.rfind(L'\\');
    // Without its own path the program cannot name itself; an old entry is better than a wrong one.
    if (lastSeparator == std::wstring::npos) return;
    const std::u16string folder = ToUtf16(modulePath.substr(0, lastSeparator + 1).c_str());
    const std::u16string fileName = ToUtf16(modulePath.c_str() + lastSeparator + 1);
    const std::u16string data = RunValueData(g_settings.StartWithWindows, folder, fileName);
    run.SetString(AsWide(kRunValueName), AsWide(data));
}

}  // namespace lumora
