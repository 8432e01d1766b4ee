#include "options/win32_text_room.h"

#include <algorithm>
#include <string>
#include <vector>

#include "options/text_room.h"
#include "support/dpi_scale.h"
#include "support/win32_dpi.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

// What a control draws beside or around its text, and the space kept free towards a neighbour,
// a group box's frame and the page's edge; all at 96 DPI.
constexpr int32_t kCheckBoxChrome = 17;  // the 13-pixel box and the gap after it
constexpr int32_t kPushButtonChrome = 8;
constexpr int32_t kClearance = 4;

enum class Kind { Other, Text, GroupBox };

struct Control {
    HWND window = nullptr;
    RECT rect{};  // in the page's client coordinates
    Kind kind = Kind::Other;
    int32_t chrome = 0;
    UINT format = 0;  // how DrawText lays the text out
    bool centred = false;
};

bool ClassIs(HWND window, const wchar_t* name) {
    wchar_t found[32] = L"";
    ::GetClassNameW(window, found, 32);
    return ::lstrcmpiW(found, name) == 0;
}

Control Describe(HWND page, HWND window, uint32_t dpi) {
    Control control;
    control.window = window;
    ::GetWindowRect(window, &control.rect);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&control.rect), 2);
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    if (ClassIs(window, L"Static")) {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE) return control;
        control.kind = Kind::Text;
        control.centred = type == SS_CENTER;
        control.format = (type == SS_LEFT || type == SS_CENTER ? DT_WORDBREAK : DT_SINGLELINE) | DT_EXPANDTABS |
                         ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    } else if (ClassIs(window, L"Button")) {
        const LONG type = style & BS_TYPEMASK;
        control.format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        switch (type) {
            case BS_GROUPBOX: control.kind = Kind::GroupBox; break;
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON:
                control.kind = Kind::Text;
                control.centred = true;
                control.chrome = ScaleForDpi(kPushButtonChrome, dpi);
                break;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                control.kind = Kind::Text;
                control.chrome = ScaleForDpi(kCheckBoxChrome, dpi);
                break;
            default: break;
        }
    }
    return control;
}

bool Overlap(LONG top, LONG bottom, const RECT& other) { return top < other.bottom && other.top < bottom; }

// How far the control may reach: the page's edges, the frame of a group box around it and the
// neighbours on its own rows, each with some space kept free.
TextSpan Limits(const Control& control, const std::vector<Control>& others, const RECT& page, int32_t clearance) {
    TextSpan limits{page.left + clearance, page.right - clearance};
    const RECT& own = control.rect;
    for (const Control& other : others) {
        const RECT& rect = other.rect;
        if (other.window == control.window || !Overlap(own.top, own.bottom, rect)) continue;
        if (other.kind == Kind::GroupBox && rect.left <= own.left && own.right <= rect.right) {
            limits.left = std::max<int32_t>(limits.left, rect.left + clearance);
            limits.right = std::min<int32_t>(limits.right, rect.right - clearance);
        } else if (other.kind != Kind::GroupBox && rect.left >= own.right) {
            limits.right = std::min<int32_t>(limits.right, rect.left - clearance);
        } else if (other.kind != Kind::GroupBox && rect.right <= own.left) {
            limits.left = std::max<int32_t>(limits.left, rect.right + clearance);
        }
    }
    return limits;
}

// The width at which the text fits the control's height and what the control draws beside it.
int32_t NeededWidth(const Control& control, int32_t widest) {
    const int32_t width = control.rect.right - control.rect.left;
    const int32_t height = control.rect.bottom - control.rect.top;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control.window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control.window, text.data(), static_cast<int>(text.size()))));
    const WindowDC dc(control.window);
    if (text.empty() || !dc) return width;
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control.window, WM_GETFONT, 0, 0));
    SelectObjectGuard selected(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
    auto fits = [&](int32_t candidate) {
        RECT laid{0, 0, candidate - control.chrome, 0};
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &laid, control.format | DT_CALCRECT);
        return laid.right <= candidate - control.chrome && laid.bottom <= height;
    };
    if (fits(width)) return width;
    return SmallestFittingWidth(width, std::max(width, widest), fits);
}

}  // namespace

void GiveTextsRoom(HWND page) {
    const uint32_t dpi = DpiOfWindow(page);
    if (dpi == kDefaultDpi) return;
    std::vector<Control> controls;
    // The style, not IsWindowVisible: the frame around a new page may not be shown yet.
    for (HWND window = ::GetWindow(page, GW_CHILD); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) controls.push_back(Describe(page, window, dpi));
    }
    RECT client{};
    ::GetClientRect(page, &client);
    const int32_t clearance = ScaleForDpi(kClearance, dpi);
    for (Control& control : controls) {
        if (control.kind != Kind::Text) continue;
        const TextSpan limits = Limits(control, controls, client, clearance);
        const int32_t widest = control.centred ? limits.right - limits.left : limits.right - control.rect.left;
        const TextSpan span = WidenForText({control.rect.left, control.rect.right}, NeededWidth(control, widest),
                                           control.centred, limits);
        if (span.left == control.rect.left && span.right == control.rect.right) continue;
        control.rect.left = span.left;
        control.rect.right = span.right;
        ::SetWindowPos(control.window, nullptr, span.left, control.rect.top, span.right - span.left,
                       control.rect.bottom - control.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace lumora
