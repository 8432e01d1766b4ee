#pragma once
// The Appearance page of the options window: colours, opacity, update interval, keyboard LED and tray options.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace lumora {

// What the Appearance page needs of the running program: its lamps, the LED, the tray icon and
// the update timer.
class AppearancePageHost {
public:
    virtual ~AppearancePageHost() = default;
    // The lamp windows that are on screen, in device order.
    virtual std::vector<HWND> VisibleLamps() = 0;
    // A reset moved this lamp to (x, y): its record keeps the place and flashes so the user finds it.
    virtual void LampPlacedByReset(HWND lamp, int32_t x, int32_t y) = 0;
    // The LED's BeginTick with the options of this moment, which switches off a LED left lit.
    virtual void BeginKeyboardLedTick() = 0;
    virtual void ShowTrayIcon(bool show) = 0;
    // The tray icon forgets its activity and shows the program's own icon again.
    virtual void ResetTrayActivity() = 0;
    // Every lamp record's place and enable flag into the settings, then the file written.
    virtual void SaveLampRecords() = 0;
    virtual void RestartUpdateTimer(int32_t intervalMs) = 0;
};

INT_PTR CALLBACK AppearancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Brings the lamps' opacity and the update timer in line with the settings and, with a page, the
// page's controls as well.
void ApplyAppearance(HWND pageOrNull);

// Lines the visible lamps up along the top of the screen, puts the colours, opacity, interval and
// LED options back to their reset values and saves everything at once.
void ResetAppearance(HWND pageOrNull);

}  // namespace lumora
