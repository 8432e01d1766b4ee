#pragma once
// The options window: a fixed-size frame with a menu bar and a tab control that shows one page
// at a time, each page a child dialog made anew from its template whenever its tab is chosen.

#include <windows.h>

namespace lumora {

inline constexpr wchar_t kOptionsClassName[] = L"LUMORA";
inline constexpr wchar_t kOptionsTitle[] = L"Lumora Indicator";
// Opened by "Lumora on the Web".
inline constexpr wchar_t kHomePage[] = L"https://github.com/lumora-indicator/lumora";

// What each page needs of the program around it (devices, lamps, LED, tray icon, timers),
// declared with its page and provided by the program, which sees all of them.
class GeneralPageHost;
class AppearancePageHost;
class SummaryPageHost;

// What the options window needs of the program around it; start-up fills it in before the
// class is registered.
struct OptionsContext {
    HINSTANCE instance = nullptr;
    // The program's handle of the options window: set while the window exists, null otherwise.
    HWND* window = nullptr;
    void (*trimWorkingSet)() = nullptr;
    GeneralPageHost* general = nullptr;
    AppearancePageHost* appearance = nullptr;
    SummaryPageHost* summary = nullptr;
};

extern OptionsContext g_optionsContext;

ATOM RegisterOptionsWndClass();

// Makes the frame with the General page and shows it; false (and nothing on screen) when the
// frame cannot be made.
bool CreateOptionsWindow(int showCommand);

// A page from its dialog template, placed in the tab control's display area; null when the
// template is missing.
HWND CreateOptionsPage(int templateId, DLGPROC procedure);

// A page's "Close": the page and the whole options window go; the program runs on.
void CloseOptionsWindowFromPage(HWND page);

}  // namespace lumora
