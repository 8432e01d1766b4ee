#pragma once
// The check-box calls that every options page makes, by control id. A control missing from the
// page's template is passed over: the calls then do nothing and read as unchecked.

#include <windows.h>

namespace lumora {

inline bool IsChecked(HWND page, int controlId) { return ::IsDlgButtonChecked(page, controlId) == BST_CHECKED; }

inline void SetCheck(HWND page, int controlId, bool checked) {
    ::CheckDlgButton(page, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace lumora
