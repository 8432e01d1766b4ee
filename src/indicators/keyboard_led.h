#pragma once
// The keyboard's ScrollLock LED as an activity lamp: either the LED bit in the keyboard class
// driver (direct access, the key state stays as it is) or the ScrollLock key itself, pressed
// through synthetic key events.

#include <cstdint>
#include <memory>

#include "sampling/sampler.h"
#include "settings/settings_store.h"

namespace lumora {

// KEYBOARD_INDICATOR_PARAMETERS.LedFlags; the num-lock (2) and caps-lock (4) bits belong to
// the user and are written back as the driver reported them.
inline constexpr uint16_t kKeyboardScrollLockOn = 0x0001;

// "\\.\Kbd" opened for writing, and the keyboard class driver's indicator requests on it.
class KeyboardDevice {
public:
    virtual ~KeyboardDevice() = default;
    // IOCTL_KEYBOARD_QUERY_INDICATORS.
    virtual bool QueryIndicators(uint16_t& ledFlags) = 0;
    // IOCTL_KEYBOARD_SET_INDICATORS for unit 0.
    virtual bool SetIndicators(uint16_t ledFlags) = 0;
};

// The system operations the LED needs.
class KeyboardLedPlatform {
public:
    virtual ~KeyboardLedPlatform() = default;
    // GetVersionExW: an NT-family platform, the only one whose keyboard driver is asked.
    virtual bool IsNtPlatform() = 0;
    // DefineDosDeviceW: "Kbd" onto the first keyboard class device, and its removal.
    virtual bool DefineKbdName() = 0;
    virtual void RemoveKbdName() = 0;
    // CreateFileW on "\\.\Kbd"; null when it cannot be opened.
    virtual std::unique_ptr<KeyboardDevice> OpenKbd() = 0;
    // GetKeyState(VK_SCROLL): the toggle bit.
    virtual bool IsScrollLockToggled() = 0;
    // keybd_event: one press and release of ScrollLock, which flips its toggle state.
    virtual void PressScrollLock() = 0;
};

// UseKeyboardLed and UseKeyboardLedDirectAccess, as each call of a tick reads them.
struct KeyboardLedOptions {
    bool useLed = false;
    bool directAccess = false;

    static KeyboardLedOptions From(const CSettings& settings) {
        return {settings.UseKeyboardLed != 0, settings.UseKeyboardLedDirectAccess != 0};
    }
};

// Driven by every update tick: BeginTick first, Accumulate with each updated lamp's state,
// Apply last. Between two ticks the LED shows whether the last tick saw activity.
class KeyboardLed {
public:
    // Opens the keyboard device at once, whatever the options say; a failed open is never
    // retried, and leaves the direct mode dark.
    explicit KeyboardLed(std::unique_ptr<KeyboardLedPlatform> platform);
    // Removes the "Kbd" name this object defined and closes the device. The LED and the
    // ScrollLock state stay as the last tick left them.
    ~KeyboardLed();
    KeyboardLed(const KeyboardLed&) = delete;
    KeyboardLed& operator=(const KeyboardLed&) = delete;

    // Forgets the last tick's activity and switches the LED off when the LED option is on,
    // or when the option was just switched off (or the mode changed) after a tick lit it.
    void BeginTick(const KeyboardLedOptions& options);
    // The whole state: a lamp that shows reading lights the LED as well as one that writes.
    void Accumulate(ActivityState state);
    // Lights the LED when the LED option is on and anything accumulated since BeginTick.
    void Apply(const KeyboardLedOptions& options);

private:
    enum class LitBy { Nothing, Driver, Key };

    bool WriteLed(bool on);
    void SwitchScrollLockOff();

    std::unique_ptr<KeyboardLedPlatform> m_platform;
    ActivityState m_activity = 0;
    bool m_ntPlatform = false;
    bool m_kbdNameDefined = false;
    // Closed before the platform goes, and after the "Kbd" name is removed.
    std::unique_ptr<KeyboardDevice> m_device;
    // How the last Apply lit the LED, so that it is switched off the same way.
    LitBy m_litBy = LitBy::Nothing;
};

}  // namespace lumora
