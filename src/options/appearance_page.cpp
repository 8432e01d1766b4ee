#include "options/appearance_page.h"

#include "options/options_window.h"

namespace lumora {

INT_PTR CALLBACK AppearancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return TRUE;
        case WM_COMMAND:
            // The "Close" button is IDOK.
            if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
            CloseOptionsWindowFromPage(page);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace lumora
