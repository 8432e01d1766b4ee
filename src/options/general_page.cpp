#include "options/general_page.h"

#include "options/appearance_page.h"
#include "options/options_window.h"
#include "options/page_controls.h"
#include "resource_ids.h"
#include "settings/registry_key.h"
#include "settings/settings_store.h"
#include "support/dpi_scale.h"
#include "support/wide_text.h"
#include "support/win32_dpi.h"
#include "support/win_owners.h"

namespace lumora {

namespace {

// The most items LB_GETSELITEMS is asked for; far more devices than a machine has.
constexpr int kMaxSelectedItems = 1000;

// The picture beside the page's first line, made for the page's DPI; empty at 96 DPI.
CreatedIconHandle g_scaledPicture;

ModeChecks ReadChecks(HWND page) {
    ModeChecks checks;
    checks.physical = IsChecked(page, IDC_MODE_PHYSICAL);
    checks.logical = IsChecked(page, IDC_MODE_LOGICAL);
    checks.allInOne = IsChecked(page, IDC_MODE_ALL_IN_ONE);
    checks.none = IsChecked(page, IDC_MODE_NONE);
    return checks;
}

void ShowChecks(HWND page, const ModeChecks& checks) {
    SetCheck(page, IDC_MODE_PHYSICAL, checks.physical);
    SetCheck(page, IDC_MODE_LOGICAL, checks.logical);
    SetCheck(page, IDC_MODE_ALL_IN_ONE, checks.allInOne);
    SetCheck(page, IDC_MODE_NONE, checks.none);
}

// Each item carries its record's index, so that an apply needs no lookup by name.
void FillList(HWND list, const std::vector<ListedRecord>& items, GeneralPageHost& host) {
    for (const ListedRecord& item : items) {
        const std::u16string name = host.RecordName(item.record);
        const LRESULT index = ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(name)));
        if (index < 0) continue;
        ::SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(item.record));
        ::SendMessageW(list, LB_SELITEMRANGE, item.selected ? TRUE : FALSE,
                       MAKELPARAM(static_cast<WORD>(index), static_cast<WORD>(index)));
    }
}

// The picture is shown at its image's real size, which the dialog manager does not grow with the
// DPI as it grows the page's other icons; a copy made at the page's DPI takes its place.
void ScalePicture(HWND page) {
    HWND picture = ::GetDlgItem(page, IDC_GENERAL_ICON);
    const uint32_t dpi = DpiOfWindow(page);
    if (!picture || dpi == kDefaultDpi) return;
    ICONINFO info{};
    const auto shown = reinterpret_cast<HICON>(::SendMessageW(picture, STM_GETICON, 0, 0));
    if (!shown || !::GetIconInfo(shown, &info)) return;
    const BitmapHandle mask(info.hbmMask);
    const BitmapHandle colour(info.hbmColor);
    BITMAP image{};
    if (!::GetObjectW(colour ? colour.get() : mask.get(), sizeof(image), &image)) return;
    const int32_t width = ScaleForDpi(image.bmWidth, dpi);
    // A mask without colour holds the icon's AND and XOR halves one above the other.
    const int32_t height = ScaleForDpi(colour ? image.bmHeight : image.bmHeight / 2, dpi);
    CreatedIconHandle scaled(static_cast<HICON>(::LoadImageW(
        g_optionsContext.instance, MAKEINTRESOURCEW(IDI_INDICATORS), IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
    if (!scaled) return;
    ::SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(scaled.get()), 0);
    g_scaledPicture = std::move(scaled);
}

void FillPage(HWND page) {
    ScalePicture(page);
    SetCheck(page, IDC_START_WITH_WINDOWS, g_settings.StartWithWindows != 0);
    if (GeneralPageHost* host = g_optionsContext.general) {
        const GeneralLists lists = ListGeneralRecords(host->Records());
        FillList(::GetDlgItem(page, IDC_PHYSICAL_LIST), lists.physical, *host);
        FillList(::GetDlgItem(page, IDC_LOGICAL_LIST), lists.logical, *host);
    }
    ShowChecks(page, ChecksForMode(g_indicationMode));
}

bool AppendSelectedRecords(HWND list, std::vector<size_t>& records) {
    std::vector<int> items(kMaxSelectedItems);
    const LRESULT count = ::SendMessageW(list, LB_GETSELITEMS, kMaxSelectedItems, reinterpret_cast<LPARAM>(items.data()));
    if (count == LB_ERR) return false;
    for (LRESULT i = 0; i < count && i < kMaxSelectedItems; ++i) {
        const LRESULT record = ::SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(items[static_cast<size_t>(i)]), 0);
        if (record != LB_ERR) records.push_back(static_cast<size_t>(record));
    }
    return true;
}

void OnModeCommand(HWND page, GeneralCommand command) {
    const GeneralPageState state = AfterGeneralCommand(command, g_indicationMode, ReadChecks(page));
    g_indicationMode = state.mode;
    ShowChecks(page, state.checks);
    ApplyGeneralPage(page);
}

void OnStartWithWindows(HWND page) {
    g_settings.StartWithWindows = IsChecked(page, IDC_START_WITH_WINDOWS) ? 1 : 0;
    g_settings.Save();
    ApplyStartWithWindows();
}

void OnCommand(HWND page, WORD id, WORD notification) {
    const bool clicked = notification == BN_CLICKED;
    const bool selectionChanged = notification == LBN_SELCHANGE;
    switch (id) {
        case IDC_MODE_PHYSICAL:
            if (clicked) OnModeCommand(page, GeneralCommand::PhysicalBox);
            break;
        case IDC_MODE_LOGICAL:
            if (clicked) OnModeCommand(page, GeneralCommand::LogicalBox);
            break;
        case IDC_MODE_ALL_IN_ONE:
            if (clicked) OnModeCommand(page, GeneralCommand::AllInOneBox);
            break;
        case IDC_MODE_NONE:
            if (clicked) OnModeCommand(page, GeneralCommand::NoIndicatorsBox);
            break;
        // A list losing the focus is no choice of the user's: re-applying then would rebuild the
        // lamps under the very click that took the focus, and a lamp's double click or drag with
        // this page open would be lost.
        case IDC_PHYSICAL_LIST:
            if (notification == LBN_KILLFOCUS) break;
            OnModeCommand(page, selectionChanged ? GeneralCommand::PhysicalListSelectionChanged
                                                 : GeneralCommand::PhysicalListOther);
            break;
        case IDC_LOGICAL_LIST:
            if (notification == LBN_KILLFOCUS) break;
            OnModeCommand(page, selectionChanged ? GeneralCommand::LogicalListSelectionChanged
                                                 : GeneralCommand::LogicalListOther);
            break;
        case IDC_APPLY: ApplyGeneralPage(page); break;
        case IDC_START_WITH_WINDOWS: OnStartWithWindows(page); break;
        // Lamps lost off the screen or made invisible by their colours come back in view.
        case IDC_WHERE_ARE_INDICATORS: ResetAppearance(nullptr); break;
        default: break;
    }
}

}  // namespace

bool ApplyGeneralPage(HWND page) {
    GeneralPageHost* host = g_optionsContext.general;
    HWND physical = ::GetDlgItem(page, IDC_PHYSICAL_LIST);
    HWND logical = ::GetDlgItem(page, IDC_LOGICAL_LIST);
    if (!host || !physical || !logical) return false;
    std::vector<size_t> selected;
    if (!AppendSelectedRecords(physical, selected) || !AppendSelectedRecords(logical, selected)) return false;
    std::vector<IndicatorChoice> records = host->Records();
    ApplyGeneralSelection(records, selected, g_indicationMode);
    if (g_indicationMode != kIndicationNone) SetCheck(page, IDC_MODE_NONE, false);
    host->ApplyRecords(records);
    return true;
}

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: FillPage(page); return TRUE;
        case WM_DESTROY:
            SerializeSettings(false);
            // Nothing paints the picture any more; its control goes right after the page.
            g_scaledPicture.reset();
            return FALSE;
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            // The "Close" button is IDOK.
            if (id == IDOK || id == IDCANCEL) {
                CloseOptionsWindowFromPage(page);
                return TRUE;
            }
            OnCommand(page, id, HIWORD(wParam));
            return FALSE;
        }
        default: return FALSE;
    }
}

}  // namespace lumora
