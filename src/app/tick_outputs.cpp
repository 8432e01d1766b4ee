#include "app/tick_outputs.h"

#include <memory>

#include "indicators/tray_notify.h"
#include "indicators/win32_keyboard_led.h"
#include "settings/settings_store.h"

namespace lumora {

KeyboardLed g_keyboardLed{std::make_unique<Win32KeyboardLedPlatform>()};

namespace {

class LedAndTrayOutputs final : public TickOutputs {
public:
    void BeginTick() override {
        g_keyboardLed.BeginTick(KeyboardLedOptions::From(g_settings));
        // Not ResetActivity: the shell hears of the icon once, at the end of the tick.
        g_trayNotify.BeginTick();
    }
    void AddActivity(ActivityState state) override {
        g_keyboardLed.Accumulate(state);
        g_trayNotify.AddActivity(state);
    }
    void EndTick() override {
        // Every tick: Apply itself leaves the LED alone while the option is off.
        g_keyboardLed.Apply(KeyboardLedOptions::From(g_settings));
        g_trayNotify.EndTick();
    }
};

}  // namespace

TickOutputs& ProgramTickOutputs() {
    static LedAndTrayOutputs outputs;
    return outputs;
}

}  // namespace lumora
