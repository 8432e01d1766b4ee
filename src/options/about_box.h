#pragma once

#include <windows.h>

namespace lumora {

// Modal: returns when the user closes the box.
void ShowAboutBox(HINSTANCE instance, HWND owner);

}  // namespace lumora
