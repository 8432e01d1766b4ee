#pragma once
// A context menu from the program's resources, shown at the cursor.

#include <windows.h>

namespace lumora {

// Shows the first popup of menu resource `menuId` at the cursor for `owner` and returns the
// chosen command; 0 when the user dismissed the menu or it could not be shown. `flags` are
// added to TPM_RETURNCMD.
UINT ChooseFromMenu(HINSTANCE instance, int menuId, HWND owner, UINT flags);

}  // namespace lumora
