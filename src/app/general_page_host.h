#pragma once
// The General page's view of the program: the device set's records and the lamps they get.

#include "options/general_page.h"

namespace lumora {

// The host over g_devices and g_indicators.
GeneralPageHost& ProgramGeneralPageHost();

}  // namespace lumora
