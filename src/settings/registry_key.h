#pragma once
// CRegistryKey: owner of one open registry key and the result of the last call on it.

#include <windows.h>

#include <string>

#include "support/win_owners.h"

namespace lumora {

class CRegistryKey {
public:
    CRegistryKey() = default;

    // Opens root\subKey with full access. On failure the key already held stays held.
    bool Open(HKEY root, const wchar_t* subKey);
    // Stores text as REG_SZ, its terminating null included.
    bool SetString(const wchar_t* valueName, const std::wstring& text);

    HKEY Get() const { return m_key.get(); }
    LONG LastError() const { return m_lastError; }

private:
    RegistryKeyHandle m_key;
    LONG m_lastError = ERROR_SUCCESS;
};

// Makes the Run value agree with g_settings.StartWithWindows and the running executable.
void ApplyStartWithWindows();

}  // namespace lumora
