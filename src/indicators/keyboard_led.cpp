#include "indicators/keyboard_led.h"

#include <utility>

namespace lumora {

KeyboardLed::KeyboardLed(std::unique_ptr<KeyboardLedPlatform> platform)
    : m_platform(std::move(platform)), m_ntPlatform(m_platform->IsNtPlatform()) {
    m_kbdNameDefined = m_platform->DefineKbdName();
    if (m_kbdNameDefined) m_device = m_platform->OpenKbd();
}

KeyboardLed::~KeyboardLed() {
    // Only a name this object defined is removed: a "Kbd" of another program stays.
    if (m_kbdNameDefined) m_platform->RemoveKbdName();
}

void KeyboardLed::BeginTick(const KeyboardLedOptions& options) {
    m_activity = 0;
    const LitBy litBy = std::exchange(m_litBy, LitBy::Nothing);
    // A LED lit by the other mode, or left lit when the option went off, is switched off the
    // way it was lit: clearing the driver's bit would leave a toggled key state behind.
    const bool driverOff = litBy == LitBy::Driver || (options.useLed && options.directAccess);
    const bool keyOff = litBy == LitBy::Key || (options.useLed && !options.directAccess);
    if (driverOff) WriteLed(false);
    if (keyOff) SwitchScrollLockOff();
}

void KeyboardLed::Accumulate(ActivityState state) { m_activity |= state; }

void KeyboardLed::Apply(const KeyboardLedOptions& options) {
    if (!options.useLed || m_activity == 0) return;
    if (options.directAccess) {
        if (WriteLed(true)) m_litBy = LitBy::Driver;
        return;
    }
    // BeginTick switched the toggle off; the key state this thread sees lags behind the
    // events it injected, so it is not asked again here.
    m_platform->PressScrollLock();
    m_litBy = LitBy::Key;
}

bool KeyboardLed::WriteLed(bool on) {
    if (!m_ntPlatform || !m_device) return false;
    uint16_t ledFlags = 0;
    // Without the driver's current bits a write would switch num lock and caps lock off.
    if (!m_device->QueryIndicators(ledFlags)) return false;
    ledFlags = static_cast<uint16_t>((ledFlags & ~kKeyboardScrollLockOn) | (on ? kKeyboardScrollLockOn : 0));
    return m_device->SetIndicators(ledFlags);
}

void KeyboardLed::SwitchScrollLockOff() {
    if (m_platform->IsScrollLockToggled()) m_platform->PressScrollLock();
}

}  // namespace lumora
