#include "options/options_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "options/about_box.h"
#include "options/appearance_page.h"
#include "options/general_page.h"
#include "options/summary_page.h"
#include "options/theme_texture.h"
#include "options/win32_text_room.h"
#include "resource_ids.h"
#include "support/trace_log.h"
#include "support/win32_dpi.h"
#include "support/win_owners.h"

namespace lumora {

OptionsContext g_optionsContext;

namespace {

// A fixed-size frame: no sizing border and no maximize box.
constexpr DWORD kFrameStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kInitialTabHeight = 40;
// Posted by a DPI change, so that the frame is laid out anew once Windows has finished rescaling it.
constexpr UINT kLayOutAgainMessage = WM_APP + 1;

enum PageIndex { kGeneralPage, kAppearancePage, kSummaryPage, kPageCount };

struct PageKind {
    const wchar_t* tabText;
    int templateId;
    DLGPROC procedure;
};

constexpr PageKind kPages[kPageCount] = {
    {L"General", IDD_GENERAL, GeneralPageProc},
    {L"Appearance", IDD_APPEARANCE, AppearancePageProc},
    {L"Summary", IDD_SUMMARY, SummaryPageProc},
};

HWND g_tabControl = nullptr;
// At most one of them is a window at any time.
HWND g_pages[kPageCount] = {};
// The tab control's font when the frame is on a monitor whose DPI is not the system's, for which
// the stock font is made; empty otherwise.
FontHandle g_tabFont;

HWND OptionsWindow() { return g_optionsContext.window ? *g_optionsContext.window : nullptr; }

void SetOptionsWindow(HWND window) {
    if (g_optionsContext.window) *g_optionsContext.window = window;
}

void TrimWorkingSet() {
    if (g_optionsContext.trimWorkingSet) g_optionsContext.trimWorkingSet();
}

RECT WindowRectOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// The page's top-left corner goes to the top-left corner of the tab control's display area.
void PlacePage(HWND page) {
    RECT display{};
    ::GetClientRect(g_tabControl, &display);
    ::SendMessageW(g_tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    POINT corner{display.left, display.top};
    ::MapWindowPoints(g_tabControl, ::GetParent(page), &corner, 1);
    ::SetWindowPos(page, nullptr, corner.x, corner.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

// The stock GUI font is made for the system's DPI; on a monitor of another DPI the tabs get a
// copy grown or shrunk in proportion. The new font is in place before the old one goes.
void SetTabFont(HWND tabs, uint32_t dpi) {
    HFONT stock = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const uint32_t systemDpi = SystemDpi();
    FontHandle scaled;
    LOGFONTW font{};
    if (dpi != systemDpi && ::GetObjectW(stock, sizeof(font), &font)) {
        font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
        scaled.reset(::CreateFontIndirectW(&font));
    }
    ::SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(scaled ? scaled.get() : stock), TRUE);
    g_tabFont = std::move(scaled);
}

// Sized so that its display area holds the page exactly.
void FitTabsAround(HWND tabs, HWND page) {
    RECT pageRect = WindowRectOf(page);
    ::SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&pageRect));
    ::SetWindowPos(tabs, nullptr, 0, 0, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

HWND CreateTabControl(HWND frame, HWND page) {
    const RECT pageRect = WindowRectOf(page);
    HWND tabs = ::CreateWindowExW(0, WC_TABCONTROLW, L"tabctrl", WS_CHILD | WS_VISIBLE, 0, 0,
                                  pageRect.right - pageRect.left, kInitialTabHeight, frame, nullptr,
                                  g_optionsContext.instance, nullptr);
    if (!tabs) return nullptr;
    SetTabFont(tabs, DpiOfWindow(frame));
    for (int index = 0; index < kPageCount; ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kPages[index].tabText);
        ::SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
    FitTabsAround(tabs, page);
    return tabs;
}

// The caption, menu bar and borders are those of the frame's own monitor.
void FitFrameAround(HWND frame, HWND tabs) {
    RECT rect = WindowRectOf(tabs);
    AdjustWindowRectForDpi(rect, kFrameStyle, true, 0, DpiOfWindow(frame));
    ::SetWindowPos(frame, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

void ForgetWindows() {
    SetOptionsWindow(nullptr);
    g_tabControl = nullptr;
    for (HWND& page : g_pages) page = nullptr;
}

void DestroyPages() {
    for (HWND& page : g_pages) {
        if (page) ::DestroyWindow(page);
        page = nullptr;
    }
}

// Destroying a page saves what it changed, so the old page goes before the new one reads.
void OnTabSelected() {
    const LRESULT selected = ::SendMessageW(g_tabControl, TCM_GETCURSEL, 0, 0);
    if (selected < 0 || selected >= kPageCount) return;
    DestroyPages();
    const PageKind& kind = kPages[selected];
    g_pages[selected] = CreateOptionsPage(kind.templateId, kind.procedure);
}

// Windows has moved the frame to a monitor of another DPI, or the DPI changed: the frame takes
// the place it suggests (none: it stays) and is laid out anew once the change is complete.
// Pages are not destroyed here, in the middle of Windows rescaling them.
void OnDpiChanged(HWND frame, const RECT* suggested) {
    if (suggested) {
        ::SetWindowPos(frame, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::PostMessageW(frame, kLayOutAgainMessage, 0, 0);
}

// As when the frame was opened: the tabs get a font for its DPI and the frame fits the General
// page made at that DPI, whichever page is shown, which then comes back.
void LayOutAgain(HWND frame) {
    if (!g_tabControl) return;
    const LRESULT selected = ::SendMessageW(g_tabControl, TCM_GETCURSEL, 0, 0);
    DestroyPages();
    SetTabFont(g_tabControl, DpiOfWindow(frame));
    HWND general = CreateOptionsPage(IDD_GENERAL, GeneralPageProc);
    g_pages[kGeneralPage] = general;
    if (general) {
        FitTabsAround(g_tabControl, general);
        PlacePage(general);
        FitFrameAround(frame, g_tabControl);
    }
    if (selected != kGeneralPage) OnTabSelected();
}

void OnCommand(HWND frame, WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case IDM_HIDE_OPTIONS: ::DestroyWindow(frame); break;
        case IDM_ABOUT: ShowAboutBox(g_optionsContext.instance, frame); break;
        case IDM_EXIT:
            ::DestroyWindow(frame);
            ::PostQuitMessage(0);
            break;
        case IDM_WEB: ::ShellExecuteW(frame, L"open", kHomePage, nullptr, nullptr, SW_SHOW); break;
        default: break;
    }
}

bool IsOwnCommand(WPARAM wParam) {
    const WORD id = LOWORD(wParam);
    return id == IDM_HIDE_OPTIONS || id == IDM_ABOUT || id == IDM_EXIT || id == IDM_WEB;
}

LRESULT CALLBACK OptionsWndProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW: {
            if (wParam) return 0;
            const LRESULT result = ::DefWindowProcW(frame, message, wParam, lParam);
            TrimWorkingSet();
            return result;
        }
        case WM_DESTROY: {
            ForgetWindows();
            const LRESULT result = ::DefWindowProcW(frame, message, wParam, lParam);
            TrimWorkingSet();
            return result;
        }
        case WM_PAINT: {
            // The tab control and the page cover the whole client area.
            PAINTSTRUCT paint;
            ::BeginPaint(frame, &paint);
            ::EndPaint(frame, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_NCDESTROY:
            // The tab control that used the font has gone with the frame's other children.
            g_tabFont.reset();
            break;
        case WM_DPICHANGED: OnDpiChanged(frame, reinterpret_cast<const RECT*>(lParam)); return 0;
        case kLayOutAgainMessage: LayOutAgain(frame); return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == g_tabControl && header->code == TCN_SELCHANGE) OnTabSelected();
            break;
        }
        case WM_COMMAND:
            if (!IsOwnCommand(wParam)) break;
            OnCommand(frame, wParam);
            return 0;
        default: break;
    }
    return ::DefWindowProcW(frame, message, wParam, lParam);
}

}  // namespace

ATOM RegisterOptionsWndClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = OptionsWndProc;
    wc.hInstance = g_optionsContext.instance;
    wc.hIcon = ::LoadIconW(g_optionsContext.instance, MAKEINTRESOURCEW(IDI_LUMORA));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDC_LUMORA);
    wc.lpszClassName = kOptionsClassName;
    return ::RegisterClassExW(&wc);
}

bool CreateOptionsWindow(int showCommand) {
    HWND frame = ::CreateWindowExW(WS_EX_CONTROLPARENT, kOptionsClassName, kOptionsTitle, kFrameStyle, CW_USEDEFAULT,
                                   0, CW_USEDEFAULT, 0, nullptr, nullptr, g_optionsContext.instance, nullptr);
    if (!frame) {
        g_trace.Trace(u"g_hWndOptions = CreateWindowsEx() failed");
        return false;
    }
    SetOptionsWindow(frame);
    // Made before the tab control exists, so it starts as a child of the frame itself.
    HWND page = CreateOptionsPage(IDD_GENERAL, GeneralPageProc);
    g_pages[kGeneralPage] = page;
    if (page) {
        g_tabControl = CreateTabControl(frame, page);
        if (g_tabControl) {
            PlacePage(page);
            ApplyThemeTexture(page);
            FitFrameAround(frame, g_tabControl);
        }
    }
    ::ShowWindow(frame, showCommand);
    ::RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    return true;
}

HWND CreateOptionsPage(int templateId, DLGPROC procedure) {
    HINSTANCE instance = g_optionsContext.instance;
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (!dialogTemplate) return nullptr;
    HWND parent = g_tabControl ? g_tabControl : OptionsWindow();
    HWND page = ::CreateDialogIndirectParamW(instance, dialogTemplate, parent, procedure, 0);
    if (!page) return nullptr;
    GiveTextsRoom(page);
    if (g_tabControl) PlacePage(page);
    ApplyThemeTexture(page);
    ::InvalidateRect(page, nullptr, TRUE);
    return page;
}

void CloseOptionsWindowFromPage(HWND page) {
    ::DestroyWindow(page);
    if (HWND frame = OptionsWindow()) ::DestroyWindow(frame);
    SetOptionsWindow(nullptr);
}

}  // namespace lumora
