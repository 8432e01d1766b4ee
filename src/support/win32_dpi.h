#pragma once
// The DPI at which Windows shows a window or a point of the screen. The per-monitor functions
// came with Windows 8.1 and 10 and are looked up at run time; where they are missing, every
// monitor has the system's DPI.

#include <windows.h>

#include <cstdint>

namespace lumora {

uint32_t SystemDpi();
uint32_t DpiOfWindow(HWND window);
// The monitor nearest to the point: a point off every screen still gets a DPI.
uint32_t DpiAtPoint(POINT point);
uint32_t PrimaryMonitorDpi();

// AdjustWindowRectEx for a window shown at `dpi`, whose caption and borders differ from the
// system DPI's on another monitor.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, uint32_t dpi);

}  // namespace lumora
