#pragma once

#include <windows.h>

#include <cstdint>

#include "app/update_tick.h"

namespace lumora {

inline constexpr wchar_t kWorkerClassName[] = L"Worker";

inline constexpr UINT_PTR TIMERID_UPDATESTATE = 5912;
inline constexpr UINT_PTR TIMERID_UPDATESTATE_HOT = 5920;
inline constexpr UINT_PTR TIMERID_UPDATESTATE_TOPMOST = 5921;
inline constexpr UINT_PTR TIMERID_REENUMERATE = 5922;
inline constexpr UINT_PTR TIMERID_COUNTERCHECK = 5923;

// Null (the default) drives no output; the outputs outlive the worker window.
void SetTickOutputs(TickOutputs* outputs);

// The tray's and the lamps' Options command, and a second instance's hand-over.
void ShowOptionsWindow();

ATOM RegisterWorkerWndClass();
// The hidden, message-only window that owns the timers and receives notifications.
HWND CreateWorkerWindow();
// Device arrivals and removals (USB devices and disks) reach the worker as WM_DEVICECHANGE.
void SubscribeToDeviceChanges(HWND worker);

// The worker is a message-only window, and those hear no broadcasts and cannot become the
// foreground window. A hidden top-level window does both for it: it hears WM_DISPLAYCHANGE, after
// which lamps that no monitor shows come back, and the re-created taskbar, after which the tray
// icon is added again; and it owns the tray menu. Without it lamps are put right only as they
// are made, the icon stays lost, and the menu has a stand-in owner.
// (The class keeps the name it had when the window heard display changes alone: tools find the
// window by it.)
inline constexpr wchar_t kBroadcastWindowClassName[] = L"LUMORADisplayWatch";
void CreateBroadcastWindow();
void DestroyBroadcastWindow();
void StartWorkerTimers(HWND worker, int32_t updateIntervalMs);
// The lamps' host and the device set's window factory, over the program's globals.
void InstallLampWindows();

}  // namespace lumora
