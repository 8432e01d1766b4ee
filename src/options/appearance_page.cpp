#include "options/appearance_page.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>

#include "options/options_rules.h"
#include "options/options_window.h"
#include "options/page_controls.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "settings/win32_settings_platform.h"
#include "support/wide_text.h"

namespace lumora {

namespace {

AppearancePageHost* Host() { return g_optionsContext.appearance; }

void Enable(HWND page, int controlId, bool enabled) {
    if (HWND control = ::GetDlgItem(page, controlId)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

int ControlOf(SettingsCheck option) {
    switch (option) {
        case kCheckUseKeyboardLed: return IDC_USE_KEYBOARD_LED;
        case kCheckUseKeyboardLedDirectAccess: return IDC_DIRECT_ACCESS;
        case kCheckShowTrayIcon: return IDC_SHOW_TRAY_ICON;
        case kCheckUseTrayLed: return IDC_USE_TRAY_LED;
        case kCheckShowIndicatorLabel: return IDC_SHOW_LABEL;
    }
    return 0;
}

// The boxes that a load of the settings sets as it reads.
class PageChecks final : public SettingsPageChecks {
public:
    explicit PageChecks(HWND page) : m_page(page) {}
    void SetCheck(SettingsCheck option, bool checked) override { lumora::SetCheck(m_page, ControlOf(option), checked); }
    void Enable(SettingsCheck option, bool enabled) override { lumora::Enable(m_page, ControlOf(option), enabled); }

private:
    HWND m_page;
};

void SetText(HWND page, int controlId, const std::u16string& text) {
    if (HWND control = ::GetDlgItem(page, controlId)) ::SetWindowTextW(control, AsWide(text));
}

void SetSlider(HWND page, int controlId, int32_t position) {
    if (HWND slider = ::GetDlgItem(page, controlId)) ::SendMessageW(slider, TBM_SETPOS, TRUE, position);
}

void SetSliderRange(HWND page, int controlId, int32_t last) {
    if (HWND slider = ::GetDlgItem(page, controlId)) ::SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, last));
}

// Only the swatch's face: its sunken edge stays as it is.
void InvalidateSwatch(HWND page, int controlId) {
    HWND swatch = ::GetDlgItem(page, controlId);
    if (!swatch) return;
    RECT face;
    ::GetWindowRect(swatch, &face);
    ::InflateRect(&face, -1, -1);
    ::MapWindowPoints(HWND_DESKTOP, page, reinterpret_cast<POINT*>(&face), 2);
    ::InvalidateRect(page, &face, FALSE);
}

// Direct access only means something while the LED option is on, and the icon's activity only
// while the icon is shown.
void EnableDependentBoxes(HWND page) {
    Enable(page, IDC_DIRECT_ACCESS, g_settings.UseKeyboardLed != 0);
    Enable(page, IDC_USE_TRAY_LED, g_settings.ShowTrayIcon != 0);
}

void ShowLedChecks(HWND page) {
    SetCheck(page, IDC_USE_KEYBOARD_LED, g_settings.UseKeyboardLed != 0);
    SetCheck(page, IDC_DIRECT_ACCESS, g_settings.UseKeyboardLedDirectAccess != 0);
    EnableDependentBoxes(page);
}

void FillPage(HWND page) {
    PageChecks checks(page);
    g_settings.Load(&checks);
    SetSliderRange(page, IDC_OPACITY, 255);
    SetSlider(page, IDC_OPACITY, g_settings.Opacity);
    const auto& intervals = CSettings::UpdateIntervals;
    SetSliderRange(page, IDC_INTERVAL, static_cast<int32_t>(intervals.size()) - 1);
    const IntervalChoice choice = IntervalForStoredFrequency(g_settings.Frequency);
    g_settings.Frequency = choice.frequency;
    SetSlider(page, IDC_INTERVAL, choice.position);
    ApplyAppearance(page);
}

void OnSliderMoved(HWND page, HWND slider) {
    const auto position = static_cast<int32_t>(::SendMessageW(slider, TBM_GETPOS, 0, 0));
    switch (::GetDlgCtrlID(slider)) {
        case IDC_OPACITY: g_settings.Opacity = position; break;
        case IDC_INTERVAL: g_settings.Frequency = FrequencyAtSliderPosition(position); break;
        default: return;
    }
    ApplyAppearance(page);
}

void DrawSwatch(const DRAWITEMSTRUCT& item) {
    const GdiLampBrushes* brushes = LampBrushesOfSettings();
    if (!brushes) return;
    HBRUSH brush = nullptr;
    switch (item.CtlID) {
        case IDC_SWATCH_READ: brush = brushes->Read(); break;
        case IDC_SWATCH_WRITE: brush = brushes->Write(); break;
        case IDC_SWATCH_OFF: brush = brushes->Off(); break;
        default: return;
    }
    if (brush) ::FillRect(item.hDC, &item.rcItem, brush);
}

void ChooseLampColor(HWND page, uint32_t& color) {
    // The custom colours are not kept from one opening to the next.
    std::array<COLORREF, 16> customColors{};
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = page;
    dialog.rgbResult = color;
    dialog.lpCustColors = customColors.data();
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!::ChooseColorW(&dialog)) return;
    color = dialog.rgbResult;
    // Before the brushes exist nothing paints with them: the colour waits for them.
    if (!LampBrushesOfSettings()) return;
    g_settings.RebuildBrushes();
    ApplyAppearance(page);
}

void OnUseKeyboardLed(HWND page) {
    g_settings.UseKeyboardLed = IsChecked(page, IDC_USE_KEYBOARD_LED);
    // A LED that the last tick lit would otherwise stay lit.
    if (!g_settings.UseKeyboardLed && Host()) Host()->BeginKeyboardLedTick();
    EnableDependentBoxes(page);
}

void OnUseDirectAccess(HWND page) {
    g_settings.UseKeyboardLedDirectAccess = IsChecked(page, IDC_DIRECT_ACCESS);
    if (Host()) Host()->BeginKeyboardLedTick();
}

void OnUseTrayLed(HWND page) {
    g_settings.UseTrayLed = IsChecked(page, IDC_USE_TRAY_LED);
    if (!g_settings.UseTrayLed && Host()) Host()->ResetTrayActivity();
}

void OnShowTrayIcon(HWND page) {
    g_settings.ShowTrayIcon = IsChecked(page, IDC_SHOW_TRAY_ICON);
    EnableDependentBoxes(page);
    if (Host()) Host()->ShowTrayIcon(g_settings.ShowTrayIcon != 0);
}

// Like a colour chosen in the dialog, the palette shows at once; it is written at once too, as
// "Default" writes, since a user who needs it should not lose it to a crash.
void OnColourBlindSafe(HWND page) {
    g_settings.ApplyPalette(kColourBlindSafePalette);
    ApplyAppearance(page);
    g_settings.Save();
    if (Host()) Host()->SaveLampRecords();
}

void OnDefault(HWND page) {
    ResetAppearance(page);
    SetSlider(page, IDC_OPACITY, g_settings.Opacity);
    SetSlider(page, IDC_INTERVAL, IntervalForStoredFrequency(g_settings.Frequency).position);
    ShowLedChecks(page);
}

INT_PTR OnCommand(HWND page, int controlId) {
    switch (controlId) {
        case IDOK:  // the page's "Close" button
        case IDCANCEL: CloseOptionsWindowFromPage(page); return TRUE;
        case IDC_USE_KEYBOARD_LED: OnUseKeyboardLed(page); break;
        case IDC_DIRECT_ACCESS: OnUseDirectAccess(page); break;
        case IDC_USE_TRAY_LED: OnUseTrayLed(page); break;
        case IDC_SHOW_TRAY_ICON: OnShowTrayIcon(page); break;
        case IDC_SHOW_LABEL: g_settings.ShowIndicatorLabel = IsChecked(page, IDC_SHOW_LABEL); break;
        // A click on a swatch works like its "Change" button.
        case IDC_CHANGE_READ:
        case IDC_SWATCH_READ: ChooseLampColor(page, g_settings.ColorRead); break;
        case IDC_CHANGE_WRITE:
        case IDC_SWATCH_WRITE: ChooseLampColor(page, g_settings.ColorWrite); break;
        case IDC_CHANGE_OFF:
        case IDC_SWATCH_OFF: ChooseLampColor(page, g_settings.ColorOff); break;
        case IDC_DEFAULT: OnDefault(page); break;
        case IDC_COLOUR_BLIND_SAFE: OnColourBlindSafe(page); break;
        default: break;
    }
    return FALSE;
}

}  // namespace

void ApplyAppearance(HWND pageOrNull) {
    if (AppearancePageHost* host = Host()) {
        const int32_t opacity = g_settings.Opacity;
        for (HWND lamp : host->VisibleLamps()) {
            ::SetWindowLongW(lamp, GWL_EXSTYLE, static_cast<LONG>(LampExStyle(opacity)));
            ::SetLayeredWindowAttributes(lamp, 0, static_cast<BYTE>(opacity), LWA_ALPHA);
            ::RedrawWindow(lamp, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        // With or without a page: "Where are my indicators?" sets the interval from another page.
        host->RestartUpdateTimer(g_settings.Frequency);
    }
    HWND page = pageOrNull;
    if (!page) return;
    InvalidateSwatch(page, IDC_SWATCH_READ);
    InvalidateSwatch(page, IDC_SWATCH_OFF);
    InvalidateSwatch(page, IDC_SWATCH_WRITE);
    ShowLedChecks(page);
    SetText(page, IDC_OPACITY_TEXT, OpacityReadout(g_settings.Opacity));
    SetText(page, IDC_INTERVAL_TEXT, IntervalReadout(g_settings.Frequency));
}

void ResetAppearance(HWND pageOrNull) {
    if (AppearancePageHost* host = Host()) {
        const std::vector<HWND> lamps = host->VisibleLamps();
        std::vector<int32_t> widths;
        widths.reserve(lamps.size());
        for (HWND lamp : lamps) {
            RECT rect{};
            ::GetWindowRect(lamp, &rect);
            widths.push_back(rect.right - rect.left);
        }
        const std::vector<LampPlace> places = LineUpLamps(widths);
        for (size_t i = 0; i < lamps.size(); ++i) {
            ::SetWindowPos(lamps[i], HWND_TOPMOST, places[i].x, places[i].y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
            host->LampPlacedByReset(lamps[i], places[i].x, places[i].y);
        }
    }
    g_settings.ApplyDefaultAppearance();
    if (Host()) Host()->BeginKeyboardLedTick();
    g_settings.Save();
    if (Host()) Host()->SaveLampRecords();
    ApplyAppearance(pageOrNull);
}

INT_PTR CALLBACK AppearancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: FillPage(page); return TRUE;
        case WM_DESTROY: SerializeSettings(false); return FALSE;
        case WM_DRAWITEM: DrawSwatch(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return FALSE;
        case WM_HSCROLL:
            if (lParam) OnSliderMoved(page, reinterpret_cast<HWND>(lParam));
            return FALSE;
        case WM_COMMAND: return OnCommand(page, LOWORD(wParam));
        default: return FALSE;
    }
}

}  // namespace lumora
