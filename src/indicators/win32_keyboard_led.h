#pragma once
// The Win32 side of the keyboard LED: the "Kbd" device name, the keyboard class driver's
// indicator requests, and the ScrollLock key through synthetic key events.

#include "indicators/keyboard_led.h"

namespace lumora {

class Win32KeyboardLedPlatform final : public KeyboardLedPlatform {
public:
    bool IsNtPlatform() override;
    bool DefineKbdName() override;
    void RemoveKbdName() override;
    std::unique_ptr<KeyboardDevice> OpenKbd() override;
    bool IsScrollLockToggled() override;
    void PressScrollLock() override;
};

}  // namespace lumora
