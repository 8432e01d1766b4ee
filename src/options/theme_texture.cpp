#include "options/theme_texture.h"

#include "support/win_owners.h"

namespace lumora {
namespace {

using IsAppThemedFunction = BOOL(WINAPI*)();
using EnableThemeDialogTextureFunction = HRESULT(WINAPI*)(HWND, DWORD);
constexpr DWORD kEnableTabTexture = 6;  // ETDT_ENABLETAB

// Only the system's own copy: the default search order also looks in the program's folder and
// the current directory, where anyone could leave a DLL of that name.
HMODULE LoadThemeLibrary() {
    HMODULE library = ::LoadLibraryExW(L"UxTheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the search flags refuse it as a bad parameter: name the file in full there.
    if (library || ::GetLastError() != ERROR_INVALID_PARAMETER) return library;
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    constexpr wchar_t kFileName[] = L"\\UxTheme.dll";
    if (length == 0 || length + sizeof(kFileName) / sizeof(wchar_t) > MAX_PATH) return nullptr;
    ::lstrcpyW(path + length, kFileName);
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Function>
Function Export(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

}  // namespace

void ApplyThemeTexture(HWND page) {
    const LibraryHandle library(LoadThemeLibrary());
    if (!library) return;
    const auto isAppThemed = Export<IsAppThemedFunction>(library.get(), "IsAppThemed");
    const auto enableTexture = Export<EnableThemeDialogTextureFunction>(library.get(), "EnableThemeDialogTexture");
    if (isAppThemed && enableTexture && isAppThemed()) enableTexture(page, kEnableTabTexture);
}

}  // namespace lumora
