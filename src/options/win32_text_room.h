#pragma once
// Widens the text controls of a page made at a DPI other than 96 whose texts came out too long
// for them (see text_room.h). At 96 DPI the page stays exactly as its template lays it out.

#include <windows.h>

namespace lumora {

void GiveTextsRoom(HWND page);

}  // namespace lumora
