#include "support/win32_menu.h"

#include "support/win_owners.h"

namespace lumora {

UINT ChooseFromMenu(HINSTANCE instance, int menuId, HWND owner, UINT flags) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const MenuHandle menu(::LoadMenuW(instance, MAKEINTRESOURCEW(menuId)));
    const HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup || !owner) return 0;
    // Only a menu whose owner is the foreground window closes when the user clicks elsewhere,
    // and the posted message lets the menu close properly the next time too.
    ::SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD | flags, cursor.x, cursor.y, 0, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

}  // namespace lumora
