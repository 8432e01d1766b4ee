#include "options/about_box.h"

#include "resource_ids.h"
#include "version.h"

namespace lumora {
namespace {

// The blank at the end is part of the text the box has always shown.
constexpr wchar_t kVersionLine[] = L"Lumora Indicator version " LUMORA_VERSION_TEXT L" ";

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: ::SetDlgItemTextW(box, IDC_VERSION, kVersionLine); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
            ::EndDialog(box, LOWORD(wParam));
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner) {
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutProc, 0);
}

}  // namespace lumora
