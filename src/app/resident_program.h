#pragma once
// The resident program's start-up up to its message loop and its shutdown after it: lumora.exe
// runs them around its loop, the leak check around its own ticks, so both run the same program.

#include <windows.h>

namespace lumora {

// From the settings file to the lamps on screen, with the worker window, its timers and the tray
// icon. False when the performance data cannot be reached: the user has been told, and the
// program ends with -1.
bool StartResidentProgram(HINSTANCE instance);

// Saves the settings and every lamp's place, removes the tray icon, destroys the worker window
// and releases what start-up made. The lamp windows go with the process.
void StopResidentProgram();

}  // namespace lumora
