#include "options/theme_texture.h"

#include "support/win32_library.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

using IsAppThemedFunction = BOOL(WINAPI*)();
using EnableThemeDialogTextureFunction = HRESULT(WINAPI*)(HWND, DWORD);
constexpr DWORD kEnableTabTexture = 6;  // ETDT_ENABLETAB

}  // namespace

void ApplyThemeTexture(HWND page) {
    const LibraryHandle library(LoadSystemLibrary(L"UxTheme.dll"));
    if (!library) return;
    const auto isAppThemed = Export<IsAppThemedFunction>(library.get(), "IsAppThemed");
    const auto enableTexture = Export<EnableThemeDialogTextureFunction>(library.get(), "EnableThemeDialogTexture");
    if (isAppThemed && enableTexture && isAppThemed()) enableTexture(page, kEnableTabTexture);
}

}  // namespace lumora
