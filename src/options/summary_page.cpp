#include "options/summary_page.h"

#include <string>

#include "options/options_window.h"
#include "options/page_controls.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "support/wide_text.h"

namespace lumora {
namespace {

constexpr UINT_PTR kRefreshTimerId = 5911;
constexpr UINT kRefreshIntervalMs = 1000;

std::u16string TextOf(HWND edit) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return std::u16string(AsUtf16(text.data(), text.size()));
}

SummaryPlace PlaceIn(HWND edit) {
    SummaryPlace place;
    const LRESULT firstLine = ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    const LRESULT firstIndex = ::SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(firstLine), 0);
    place.firstVisible = firstIndex < 0 ? 0 : static_cast<size_t>(firstIndex);
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    place.selectionStart = start;
    place.selectionEnd = end;
    return place;
}

void RestorePlace(HWND edit, const SummaryPlace& place) {
    // The selection first: selecting may scroll the caret into view, the scroll then puts the
    // reader's first line back on top.
    ::SendMessageW(edit, EM_SETSEL, place.selectionStart, static_cast<LPARAM>(place.selectionEnd));
    const LRESULT wanted = ::SendMessageW(edit, EM_LINEFROMCHAR, place.firstVisible, 0);
    const LRESULT shown = ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (wanted != shown) ::SendMessageW(edit, EM_LINESCROLL, 0, wanted - shown);
}

// Rebuilt from the samplers each time, but shown only when it differs, and with the reader's
// first line and selection kept, so that a long list can be read while it refreshes.
void RefreshSummary(HWND page) {
    HWND edit = ::GetDlgItem(page, IDC_STATISTICS);
    if (!edit) return;
    SummaryPageHost* host = g_optionsContext.summary;
    const std::u16string text = BuildSummaryText(host ? host->ShownDevices() : std::vector<SummaryDevice>());
    const std::u16string shownText = TextOf(edit);
    if (text == shownText) return;
    const SummaryPlace place = KeepSummaryPlace(shownText, text, PlaceIn(edit));
    // Without this the box would show its first line for a moment before scrolling back.
    ::SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    ::SetWindowTextW(edit, AsWide(text));
    RestorePlace(edit, place);
    ::SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(edit, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void OnInitDialog(HWND page) {
    ::SetTimer(page, kRefreshTimerId, kRefreshIntervalMs, nullptr);
    if (g_settings.StatPageRefresh) SetCheck(page, IDC_AUTO_REFRESH, true);
    RefreshSummary(page);
}

}  // namespace

INT_PTR CALLBACK SummaryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(page); return TRUE;
        case WM_TIMER:
            if (wParam == kRefreshTimerId && g_settings.StatPageRefresh) RefreshSummary(page);
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                // The "Close" button is IDOK.
                case IDOK:
                case IDCANCEL: CloseOptionsWindowFromPage(page); return TRUE;
                case IDC_AUTO_REFRESH:
                    g_settings.StatPageRefresh = IsChecked(page, IDC_AUTO_REFRESH);
                    return FALSE;
                default: return FALSE;
            }
        // The timer ends with the window.
        case WM_DESTROY: SerializeSettings(false); return FALSE;
        default: return FALSE;
    }
}

}  // namespace lumora
