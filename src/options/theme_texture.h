#pragma once

#include <windows.h>

namespace lumora {

// Gives a page the tab control's themed background when visual styles are on; without them, or
// without the theme library, the page keeps the plain dialog background.
void ApplyThemeTexture(HWND page);

}  // namespace lumora
