// text_fit CLASS FACE POINTS
//
// Whether the texts of the controls in the first window of CLASS fit them: for every visible
// static, button, check box and group box that shows a text, one JSON line
//   {"id": ID, "text": "...", "need": [W, H], "room": [W, H], "shown": [W, H], "size": [W, H]}
// with the size the text needs in the dialog font (FACE at POINTS points at the window's DPI;
// a font belongs to the process that made it, so the controls' own handle is of no use here),
// the room the control leaves for it, and how much of the control its parents leave visible.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "probe_output.h"
#include "support/win32_dpi.h"
#include "support/win_owners.h"

namespace {

using namespace lumora;
using probe::JsonString;
using probe::PrintLine;
using probe::Utf8;

struct Measure {
    HDC dc;
    int checkBox;  // the box of a check box and the gap after it
    int edge;      // a push button's or group box's border around its text
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

SIZE TextSize(HDC dc, const std::wstring& text, int width, UINT format) {
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The part of the control that its parents' client areas leave visible.
SIZE Shown(HWND control) {
    RECT visible{};
    ::GetWindowRect(control, &visible);
    for (HWND parent = ::GetParent(control); parent; parent = ::GetParent(parent)) {
        RECT client{};
        ::GetClientRect(parent, &client);
        ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
        if (!::IntersectRect(&visible, &visible, &client)) return {0, 0};
        if (!(::GetWindowLongW(parent, GWL_STYLE) & WS_CHILD)) break;
    }
    return {visible.right - visible.left, visible.bottom - visible.top};
}

// Room and need of one control, or false for one that shows no text of its own.
bool Fit(HWND control, const Measure& measure, SIZE& room, SIZE& need) {
    const std::wstring text = TextOf(control);
    const std::wstring kind = ClassOf(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    RECT client{};
    ::GetClientRect(control, &client);
    room = {client.right, client.bottom};
    if (text.empty()) return false;
    if (::lstrcmpiW(kind.c_str(), L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        const bool oneLine = type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && !oneLine) return false;
        const UINT lines = oneLine ? DT_SINGLELINE : DT_WORDBREAK;
        need = TextSize(measure.dc, text, room.cx, lines | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        return true;
    }
    if (::lstrcmpiW(kind.c_str(), L"Button") != 0) return false;
    const LONG type = style & BS_TYPEMASK;
    const UINT lines = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (type) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: room = {room.cx - 2 * measure.edge, room.cy - 2 * measure.edge}; break;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: room.cx -= measure.checkBox; break;
        case BS_GROUPBOX: room = {room.cx - 2 * measure.edge, room.cy}; break;
        default: return false;
    }
    need = TextSize(measure.dc, text, room.cx, lines);
    if (type == BS_GROUPBOX) room.cy = need.cy;  // the frame runs below its title, which has the room it needs
    return true;
}

struct Walk {
    Measure measure;
    std::vector<HWND> controls;
};

BOOL CALLBACK Collect(HWND window, LPARAM context) {
    reinterpret_cast<Walk*>(context)->controls.push_back(window);
    return TRUE;
}

std::string Pair(SIZE size) { return "[" + std::to_string(size.cx) + ", " + std::to_string(size.cy) + "]"; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fputs("usage: text_fit CLASS FACE POINTS\n", stderr);
        return 2;
    }
    HWND top = ::FindWindowW(argv[1], nullptr);
    if (!top) {
        std::fputs("error: no window of that class\n", stderr);
        return 1;
    }
    // Wine answers GetDpiForWindow for another process's window with 96 whatever its DPI.
    RECT place{};
    ::GetWindowRect(top, &place);
    const auto dpi = static_cast<int>(DpiAtPoint(POINT{place.left, place.top}));
    const int points = std::wcstol(argv[3], nullptr, 10);
    const FontHandle font(::CreateFontW(-::MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, argv[2]));
    const WindowDC screen(nullptr);
    if (!font || !screen) return 1;
    SelectObjectGuard selected(screen.get(), font.get());
    Walk walk;
    walk.measure = {screen.get(), ::GetSystemMetrics(SM_CXMENUCHECK) + ::MulDiv(4, dpi, 96), ::MulDiv(3, dpi, 96)};
    ::EnumChildWindows(top, Collect, reinterpret_cast<LPARAM>(&walk));
    for (HWND control : walk.controls) {
        SIZE room{}, need{};
        if (!::IsWindowVisible(control) || !Fit(control, walk.measure, room, need)) continue;
        RECT rect{};
        ::GetWindowRect(control, &rect);
        PrintLine("{\"id\": " + std::to_string(::GetDlgCtrlID(control)) + ", \"text\": " +
                  JsonString(Utf8(TextOf(control).c_str())) + ", \"need\": " + Pair(need) + ", \"room\": " +
                  Pair(room) + ", \"shown\": " + Pair(Shown(control)) + ", \"size\": " +
                  Pair({rect.right - rect.left, rect.bottom - rect.top}) + "}");
    }
    return 0;
}
