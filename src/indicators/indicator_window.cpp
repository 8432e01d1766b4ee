#include "indicators/indicator_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

#include "indicators/lamp_paint.h"
#include "indicators/lamp_scale.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "settings/win32_settings_platform.h"
#include "support/dpi_scale.h"
#include "support/wide_text.h"
#include "support/win32_dpi.h"
#include "support/win32_menu.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

constexpr int kNoDrag = -100000;
constexpr size_t kTipTextCapacity = 2048;
// Every tenth flash step asks for a larger window, with flags that keep its size.
constexpr UINT kPulseFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

HINSTANCE g_instance = nullptr;
IndicatorHost* g_host = nullptr;
// Only one window can hold the capture, so one drag state serves every lamp.
POINT g_dragStart{kNoDrag, 0};
// The tooltip's text callback points every tooltip at this one buffer.
wchar_t g_tipText[kTipTextCapacity];
constexpr wchar_t kDragHint[] = L"Press <Shift> to move all indicators.\nPress <Ctrl> to snap to grid.";

LampRecord* RecordOf(HWND window) { return reinterpret_cast<LampRecord*>(::GetWindowLongPtrW(window, GWLP_USERDATA)); }

// Each lamp keeps the DPI it was last sized for in its window's extra bytes, so that its size,
// label and drag grid always agree, also on a lamp without a record.
constexpr int kDpiSlot = 0;

LampMeasures MeasuresOf(HWND window) {
    const auto dpi = static_cast<uint32_t>(::GetWindowLongPtrW(window, kDpiSlot));
    return LampMeasuresAt(dpi ? dpi : kDefaultDpi);
}

HWND TooltipOf(const LampRecord& record) {
    HWND tooltip = static_cast<HWND>(record.m_hWndTooltip);
    return tooltip && ::IsWindow(tooltip) ? tooltip : nullptr;
}

void DestroyTooltip(LampRecord& record) {
    if (HWND tooltip = TooltipOf(record)) ::DestroyWindow(tooltip);
    record.m_hWndTooltip = nullptr;
}

// The tool covers the whole lamp, and the tip is as wide as the lamp's DPI wants: at creation and
// whenever the lamp takes another size.
void FitTooltipToLamp(HWND window, HWND tooltip) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window;
    tool.uId = 0;
    ::GetClientRect(window, &tool.rect);
    ::SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, MeasuresOf(window).tipWidth);
}

void CreateTooltip(HWND window, LampRecord& record) {
    DestroyTooltip(record);
    HWND tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                     g_instance, nullptr);
    if (!tooltip) return;
    ::SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRANSPARENT;
    tool.hwnd = window;
    tool.uId = 0;
    tool.hinst = g_instance;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    FitTooltipToLamp(window, tooltip);
    record.m_hWndTooltip = tooltip;
}

void RelayToTooltip(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LampRecord* record = RecordOf(window);
    if (!record) return;
    HWND tooltip = TooltipOf(*record);
    if (!tooltip) return;
    MSG relayed{};
    relayed.hwnd = window;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    ::GetCursorPos(&relayed.pt);
    ::SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void RestoreLampBrushes() { g_settings.RebuildBrushes(); }

void RunFlashStep(HWND window, LampRecord& record) {
    const int32_t remaining = --record.m_flashCountdown;
    record.m_flashColour = FlashColour(remaining);
    // The brushes are shared: every idle or reading lamp shows the flash colour with this one.
    if (LampBrushes* brushes = g_settings.Brushes()) brushes->Rebuild(record.m_flashColour, g_settings.ColorWrite, record.m_flashColour);
    if (remaining % 10 == 0) {
        if (!record.m_pulse) {
            RECT rect{};
            ::GetWindowRect(window, &rect);
            record.m_savedRect = {rect.left, rect.top, rect.right, rect.bottom};
            ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + 4, rect.bottom - rect.top + 4, kPulseFlags);
            record.m_pulse = 1;
        } else {
            const IndicatorRect& saved = record.m_savedRect;
            ::SetWindowPos(window, nullptr, 0, 0, saved.right - saved.left, saved.bottom - saved.top, kPulseFlags);
            record.m_pulse = 0;
        }
    }
    if (remaining > 0) return;
    record.m_flashCountdown = 0;
    record.m_pulse = 0;
    RestoreLampBrushes();
    const IndicatorRect& saved = record.m_savedRect;
    // A flash restarted short of its first pulse has recorded nothing; a zero size would hide the lamp.
    if (saved.right > saved.left && saved.bottom > saved.top) {
        ::SetWindowPos(window, nullptr, 0, 0, saved.right - saved.left, saved.bottom - saved.top,
                       SWP_NOMOVE | SWP_NOACTIVATE);
    }
    ::RedrawWindow(window, nullptr, nullptr, RDW_INTERNALPAINT | RDW_UPDATENOW);
}

HBRUSH BrushFor(LampColour colour) {
    const GdiLampBrushes* brushes = LampBrushesOfSettings();
    if (!brushes) return nullptr;
    switch (colour) {
        case LampColour::Read: return brushes->Read();
        case LampColour::Write: return brushes->Write();
        case LampColour::Idle: break;
    }
    return brushes->Off();
}

LampLook LookOf(HWND window, const LampRecord& record) {
    RECT client{};
    ::GetClientRect(window, &client);
    LampLook look;
    look.fill = PlanLampFill(record.m_sampler ? record.m_sampler->m_state : 0, client.top, client.bottom);
    const GdiLampBrushes* brushes = LampBrushesOfSettings();
    look.brushGeneration = brushes ? brushes->Generation() : 0;
    look.label = g_settings.ShowIndicatorLabel && record.m_sampler && record.m_sampler->m_device;
    return look;
}

void PaintLamp(HWND window, HDC dc, LampRecord& record) {
    RECT client{};
    ::GetClientRect(window, &client);
    const LampLook look = LookOf(window, record);
    record.m_paintedLook = look;
    record.m_painted = true;
    const LampFill& fill = look.fill;
    RECT upper = client;
    upper.bottom = fill.split;
    RECT lower = client;
    lower.top = fill.split;
    if (HBRUSH brush = BrushFor(fill.upper)) ::FillRect(dc, &upper, brush);
    if (lower.top < lower.bottom) {
        if (HBRUSH brush = BrushFor(fill.lower)) ::FillRect(dc, &lower, brush);
    }
    if (!look.label) return;
    const DeviceRecord* device = record.m_sampler->m_device;
    const LampMeasures measures = MeasuresOf(window);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetTextAlign(dc, TA_LEFT | TA_TOP);
    // Made for each paint, so that a lamp holds no font between ticks.
    FontHandle font(::CreateFontW(measures.labelHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, 0, nullptr));
    SelectObjectGuard selected(dc, font.get());
    ::TextOutW(dc, client.left + measures.labelIndent, client.top,
               reinterpret_cast<const wchar_t*>(device->label.c_str()), static_cast<int>(device->label.size()));
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window, &paint);
    // A lamp without a record paints nothing, but still validates, or WM_PAINT would never stop.
    if (LampRecord* record = RecordOf(window); record && dc) PaintLamp(window, dc, *record);
    ::EndPaint(window, &paint);
}

void FillTooltipText(HWND window, NMTTDISPINFOW& info) {
    info.hinst = g_instance;
    info.lpszText = g_tipText;
    if (::GetCapture() == window) {
        std::memcpy(g_tipText, kDragHint, sizeof(kDragHint));
        return;
    }
    LampRecord* record = RecordOf(window);
    if (record && record->m_sampler) {
        record->m_sampler->WriteStatisticsText(reinterpret_cast<char16_t*>(g_tipText), kTipTextCapacity);
    }
}

void MoveLampBy(HWND window, LampRecord& record, int dx, int dy) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    record.m_x = rect.left + dx;
    record.m_y = rect.top + dy;
    ::MoveWindow(window, record.m_x, record.m_y, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void OnDragMove(HWND window, WPARAM keys, LPARAM position) {
    if (!(keys & MK_LBUTTON) || g_dragStart.x == kNoDrag) return;
    LampRecord* record = RecordOf(window);
    if (!record) return;
    int dx = GET_X_LPARAM(position) - g_dragStart.x;
    int dy = GET_Y_LPARAM(position) - g_dragStart.y;
    if (::GetAsyncKeyState(VK_CONTROL) < 0) {
        const int32_t step = MeasuresOf(window).gridStep;
        dx = SnapToGrid(dx, step);
        dy = SnapToGrid(dy, step);
    }
    if (dx == 0 && dy == 0) return;
    if (::GetAsyncKeyState(VK_SHIFT) >= 0 || !g_host) {
        MoveLampBy(window, *record, dx, dy);
        return;
    }
    for (HWND lamp : g_host->LampWindows()) {
        if (!lamp || !::IsWindow(lamp)) continue;
        if (LampRecord* other = RecordOf(lamp)) MoveLampBy(lamp, *other, dx, dy);
    }
}

void OnDragStart(HWND window, LPARAM position) {
    if (LampRecord* record = RecordOf(window)) CreateTooltip(window, *record);
    g_dragStart = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ::SetCapture(window);
    if (const LampRecord* record = RecordOf(window)) {
        // The new tooltip has seen no mouse yet: told where the pointer is, it knows its tool,
        // which some implementations of TTM_POPUP need, and shows the hint after its delay
        // where TTM_POPUP does nothing.
        RelayToTooltip(window, WM_MOUSEMOVE, 0, position);
        if (HWND tooltip = TooltipOf(*record)) ::SendMessageW(tooltip, TTM_POPUP, 0, 0);
    }
}

void OnDragEnd() {
    ::ReleaseCapture();
    g_dragStart.x = kNoDrag;
    // Restarted by every release, so that a few drags in a row write the file once.
    if (g_host && g_host->WorkerWindow()) {
        ::SetTimer(g_host->WorkerWindow(), TIMERID_SAVEINDICATORS, kSavePositionsDelayMs, nullptr);
    }
}

void ShowOptions() {
    if (g_host) g_host->ShowOptionsWindow();
}

void ShowLampMenu(HWND window) {
    if (LampRecord* record = RecordOf(window)) CreateTooltip(window, *record);
    const UINT command = ChooseFromMenu(g_instance, IDR_INDICATOR_MENU, window, TPM_RIGHTBUTTON);
    if (command == IDM_EXIT) {
        ::DestroyWindow(window);
        ::PostQuitMessage(0);
    } else if (command == IDM_OPTIONS) {
        ShowOptions();
    }
}

// Sized for the monitor that its stored position lies on, which may not be the one it was made on.
LRESULT OnCreate(HWND window, const CREATESTRUCTW& create) {
    auto* record = static_cast<LampRecord*>(create.lpCreateParams);
    if (!record) return 0;
    const uint32_t dpi = DpiAtPoint(POINT{record->m_x, record->m_y});
    ::SetWindowLongPtrW(window, kDpiSlot, static_cast<LONG_PTR>(dpi));
    const LampMeasures measures = LampMeasuresAt(dpi);
    ::MoveWindow(window, record->m_x, record->m_y, measures.width, measures.height, FALSE);
    CreateTooltip(window, *record);
    if (!record->m_sampler || !record->m_sampler->Open()) {
        // Left without its record, the lamp shows nothing and samples nothing.
        DestroyTooltip(*record);
        return 0;
    }
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    return 0;
}

// The lamp crossed onto a monitor of another DPI, or the DPI changed: it takes the top-left corner
// that Windows suggests (none: it stays) and the size for the new DPI. The position is in screen
// pixels and needs no scaling.
void OnDpiChanged(HWND window, uint32_t dpi, const RECT* suggested) {
    ::SetWindowLongPtrW(window, kDpiSlot, static_cast<LONG_PTR>(dpi));
    const LampMeasures measures = LampMeasuresAt(dpi);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const POINT corner = suggested ? POINT{suggested->left, suggested->top} : POINT{rect.left, rect.top};
    ::SetWindowPos(window, nullptr, corner.x, corner.y, measures.width, measures.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window, nullptr, FALSE);
    LampRecord* record = RecordOf(window);
    if (!record) return;
    record->m_x = corner.x;
    record->m_y = corner.y;
    // A flash under way restores the size it recorded at its end; that size must be the new one.
    IndicatorRect& saved = record->m_savedRect;
    if (saved.right > saved.left && saved.bottom > saved.top) {
        saved.right = saved.left + measures.width;
        saved.bottom = saved.top + measures.height;
    }
    if (HWND tooltip = TooltipOf(*record)) FitTooltipToLamp(window, tooltip);
}

void OnDestroy(HWND window) {
    if (!RecordOf(window)) return;
    DetachIndicatorWindow(window);
    // A flash cut short must leave no flash colour behind on the other lamps.
    RestoreLampBrushes();
}

LRESULT CALLBACK IndicatorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RelayToTooltip(window, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: return OnCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        case WM_DESTROY: OnDestroy(window); break;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_NCCALCSIZE:
        case WM_NCPAINT: return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header && header->code == TTN_GETDISPINFOW) FillTooltipText(window, *reinterpret_cast<NMTTDISPINFOW*>(lParam));
            break;
        }
        case WM_MOUSEMOVE: OnDragMove(window, wParam, lParam); break;
        case WM_LBUTTONDOWN: OnDragStart(window, lParam); break;
        case WM_LBUTTONUP: OnDragEnd(); break;
        case WM_LBUTTONDBLCLK: ShowOptions(); break;
        case WM_RBUTTONUP: ShowLampMenu(window); break;
        case WM_DPICHANGED:
            OnDpiChanged(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RefreshVisibleTooltip(const LampRecord& record) {
    HWND tooltip = TooltipOf(record);
    if (!tooltip || !::IsWindowVisible(tooltip)) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    if (!::SendMessageW(tooltip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) return;
    tool.hinst = g_instance;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void InitIndicatorWindows(HINSTANCE instance, IndicatorHost* host) {
    g_instance = instance;
    g_host = host;
    SetStartDpiQuery(PrimaryMonitorDpi);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
}

ATOM RegisterIndicatorWndClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = IndicatorWndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);  // the DPI slot
    wc.hInstance = g_instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kIndicatorClassName;
    return ::RegisterClassExW(&wc);
}

HWND CreateIndicatorWindow(DeviceRecord& device, LampRecord* record, int index) {
    if (!record) return nullptr;
    const DWORD exStyle = LampExStyle(g_settings.Opacity);
    // Where the lamp is born, in a column down the primary monitor's left edge; its creation moves
    // it to its record's place at once.
    const LampMeasures start = LampMeasuresAt(LampStartDpi());
    // The lamp has no caption: its title is for screen readers and window lists alone.
    HWND window = ::CreateWindowExW(exStyle, kIndicatorClassName, AsWide(DeviceTitle(device)), WS_POPUP, 2,
                                    2 + (start.height + 1) * index, start.width, start.height, nullptr, nullptr,
                                    g_instance, record);
    if (!window) return nullptr;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(g_settings.Opacity), LWA_ALPHA);
    return window;
}

void DetachIndicatorWindow(HWND window) {
    LampRecord* record = RecordOf(window);
    if (!record) return;
    DestroyTooltip(*record);
    if (record->m_sampler) record->m_sampler->Close();
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

ActivityState UpdateIndicator(HWND window) {
    LampRecord* record = RecordOf(window);
    if (!record || !record->m_sampler) return 0;
    if (record->m_flashCountdown != 0) {
        RunFlashStep(window, *record);
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    __performance_data& sampler = *record->m_sampler;
    // Update finds the lamp idle, never the last tick's activity: a sampler may build its new
    // state in m_state as it goes, and what it returns is the state all the same.
    sampler.m_state = 0;
    sampler.m_state = sampler.Update();
    RefreshVisibleTooltip(*record);
    // A new colour, label or brush shows at the next tick even on a lamp whose disk rests.
    if (!record->m_painted || !(LookOf(window, *record) == record->m_paintedLook)) {
        ::InvalidateRect(window, nullptr, FALSE);
    }
    return sampler.m_state;
}

}  // namespace lumora
