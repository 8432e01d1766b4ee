#pragma once
// The Appearance page's view of the running program: the lamps of g_devices and g_indicators,
// the keyboard LED, the tray icon and the worker's update timer.

#include "options/appearance_page.h"

namespace lumora {

AppearancePageHost& ProgramAppearancePageHost();

}  // namespace lumora
