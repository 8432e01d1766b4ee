#include "app/appearance_page_host.h"

#include "app/app_state.h"
#include "app/device_set.h"
#include "app/shown_lamps.h"
#include "app/tick_outputs.h"
#include "app/worker_window.h"
#include "indicators/keyboard_led.h"
#include "indicators/lamp_paint.h"
#include "indicators/tray_notify.h"
#include "settings/settings_store.h"

namespace lumora {

namespace {

class ProgramAppearanceHost final : public AppearancePageHost {
public:
    std::vector<HWND> VisibleLamps() override {
        std::vector<HWND> lamps;
        ForEachShownLamp([&](size_t, HWND lamp) { lamps.push_back(lamp); });
        return lamps;
    }

    // The lamp is one of VisibleLamps, and the reset hides none of them.
    void LampPlacedByReset(HWND lamp, int32_t x, int32_t y) override {
        ForEachShownLamp([&](size_t index, HWND shown) {
            if (shown != lamp) return;
            __gui_data& record = *g_indicators[index];
            record.m_x = x;
            record.m_y = y;
            record.m_flashCountdown = kFlashSteps;
        });
    }

    void BeginKeyboardLedTick() override { g_keyboardLed.BeginTick(KeyboardLedOptions::From(g_settings)); }

    void ShowTrayIcon(bool show) override {
        if (show) {
            g_trayNotify.AddIcon();
        } else {
            g_trayNotify.RemoveIcon();
        }
    }

    void ResetTrayActivity() override { g_trayNotify.ResetActivity(); }

    void SaveLampRecords() override { SaveIndicators(); }

    void RestartUpdateTimer(int32_t intervalMs) override {
        if (g_hWndWorker) ::SetTimer(g_hWndWorker, TIMERID_UPDATESTATE, static_cast<UINT>(intervalMs), nullptr);
    }
};

}  // namespace

AppearancePageHost& ProgramAppearancePageHost() {
    static ProgramAppearanceHost host;
    return host;
}

}  // namespace lumora
