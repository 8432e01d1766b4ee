#pragma once
// The keyboard LED and the tray icon as the update tick's outputs.

#include "app/worker_window.h"
#include "indicators/keyboard_led.h"

namespace lumora {

// The program's ScrollLock LED. It opens the keyboard device before the program starts and
// removes its "Kbd" name when the process ends.
extern KeyboardLed g_keyboardLed;

// g_keyboardLed and g_trayNotify, driven by each tick with the settings of that moment.
TickOutputs& ProgramTickOutputs();

}  // namespace lumora
