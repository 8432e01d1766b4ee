#pragma once
// The Summary page's view of the program: the shown devices and their samplers.

#include "options/summary_page.h"

namespace lumora {

// The one host, over g_devices and the lamps' records; it lives as long as the process.
SummaryPageHost& ProgramSummaryPageHost();

}  // namespace lumora
