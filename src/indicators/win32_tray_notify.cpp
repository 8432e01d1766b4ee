#include "indicators/win32_tray_notify.h"

#include <shellapi.h>

#include <memory>

#include "resource_ids.h"
#include "support/win32_menu.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

// The Windows 2000 layout, which goes with NOTIFYICON_VERSION and which every later shell accepts.
constexpr DWORD kNotifyDataSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(kNotifyDataSize == 952);

NOTIFYICONDATAW NotifyData(HWND owner, UINT flags) {
    NOTIFYICONDATAW data{};
    data.cbSize = kNotifyDataSize;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    static_assert(sizeof(kTrayTip) <= sizeof(data.szTip));
    for (size_t i = 0; i < sizeof(kTrayTip) / sizeof(kTrayTip[0]); ++i) data.szTip[i] = kTrayTip[i];
    return data;
}

struct TrayResources {
    HINSTANCE instance = nullptr;
    CreatedIconHandle app;
    CreatedIconHandle idleLamp;
    CreatedIconHandle activeLamp;
    std::unique_ptr<Win32NotifyIconShell> shell;
};

TrayResources& Tray() {
    static TrayResources resources;
    return resources;
}

// A hidden window of a class that every process has, for a menu that would otherwise have no
// owner: TrackPopupMenu opens nothing without one, and the user could never reach Exit.
HWND CreateStandInMenuOwner(HINSTANCE instance) {
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                             nullptr);
}

// The small size is what the notification area draws; the shell would scale a large icon.
HICON LoadSmallIcon(HINSTANCE instance, WORD id) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

}  // namespace

bool Win32NotifyIconShell::Add(TrayIcon icon) {
    NOTIFYICONDATAW data = NotifyData(m_owner, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = m_icons[static_cast<int>(icon)];
    return ::Shell_NotifyIconW(NIM_ADD, &data);
}

bool Win32NotifyIconShell::SetVersion() {
    NOTIFYICONDATAW data = NotifyData(m_owner, 0);
    data.uVersion = NOTIFYICON_VERSION;
    return ::Shell_NotifyIconW(NIM_SETVERSION, &data);
}

bool Win32NotifyIconShell::Modify(TrayIcon icon) {
    NOTIFYICONDATAW data = NotifyData(m_owner, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = m_icons[static_cast<int>(icon)];
    return ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool Win32NotifyIconShell::Delete() {
    NOTIFYICONDATAW data = NotifyData(m_owner, NIF_ICON);
    data.hIcon = m_icons[static_cast<int>(TrayIcon::App)];
    return ::Shell_NotifyIconW(NIM_DELETE, &data);
}

void StartTrayNotify(HINSTANCE instance, HWND worker) {
    StopTrayNotify();
    TrayResources& tray = Tray();
    tray.instance = instance;
    tray.app.reset(LoadSmallIcon(instance, IDI_LUMORA));
    tray.idleLamp.reset(LoadSmallIcon(instance, IDI_TRAYHOT));
    tray.activeLamp.reset(LoadSmallIcon(instance, IDI_TRAYHOT1));
    tray.shell = std::make_unique<Win32NotifyIconShell>(worker, tray.app.get(), tray.idleLamp.get(),
                                                        tray.activeLamp.get());
    g_trayNotify.Attach(tray.shell.get());
}

void StopTrayNotify() {
    TrayResources& tray = Tray();
    g_trayNotify.RemoveIcon();
    g_trayNotify.Attach(nullptr);
    tray.shell.reset();
    // The shell has let go of the icons with the NIM_DELETE above.
    tray.app.reset();
    tray.idleLamp.reset();
    tray.activeLamp.reset();
}

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

UINT ShowTrayMenu(HWND owner) {
    const HINSTANCE instance = Tray().instance;
    WindowHandle standIn;
    if (!owner) {
        standIn.reset(CreateStandInMenuOwner(instance));
        owner = standIn.get();
    }
    return ChooseFromMenu(instance, IDR_TRAYMENU, owner, TPM_NONOTIFY);
}

}  // namespace lumora
