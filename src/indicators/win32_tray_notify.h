#pragma once
// The Win32 side of the notification-area icon: Shell_NotifyIconW for g_trayNotify, the icons
// 107, 148 and 152, the re-created taskbar, and the tray menu 144.

#include <windows.h>

#include "indicators/tray_notify.h"

namespace lumora {

// Shell_NotifyIconW for the icon kTrayIconId of the owner window, with the three icons given.
class Win32NotifyIconShell final : public NotifyIconShell {
public:
    Win32NotifyIconShell(HWND owner, HICON app, HICON idleLamp, HICON activeLamp) noexcept
        : m_owner(owner), m_icons{app, idleLamp, activeLamp} {}
    bool Add(TrayIcon icon) override;
    bool SetVersion() override;
    bool Modify(TrayIcon icon) override;
    bool Delete() override;

private:
    HWND m_owner;
    HICON m_icons[3];
};

// Loads the icons once and attaches g_trayNotify to the shell for the worker window (which gets
// the kTrayCallbackMessage notifications). Call it before the first AddIcon.
void StartTrayNotify(HINSTANCE instance, HWND worker);
// Removes the icon and releases everything StartTrayNotify took; g_trayNotify shows nothing after.
void StopTrayNotify();

// What the shell broadcasts to top-level windows when it has made the taskbar anew (Explorer
// restarted, or a DPI or display change); g_trayNotify.OnTaskbarCreated() answers it.
UINT TaskbarCreatedMessage();

// Shows the first popup of menu 144 at the cursor and returns the chosen command (IDM_OPTIONS
// or IDM_EXIT of resource_ids.h), 0 when the user dismissed the menu. The owner is a hidden
// top-level window of ours, made the foreground window for the menu's time; without one (it
// could not be made) a stand-in owns the menu.
UINT ShowTrayMenu(HWND owner);

}  // namespace lumora
