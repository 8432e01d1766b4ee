#include "app/worker_window.h"

#include <dbt.h>

#include <vector>

#include "app/app_state.h"
#include "app/device_set.h"
#include "app/shown_lamps.h"
#include "app/lost_lamps.h"
#include "indicators/indicator_window.h"
#include "indicators/tray_notify.h"
#include "indicators/win32_tray_notify.h"
#include "options/options_window.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "support/trace_log.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

constexpr UINT kFlashIntervalMs = 20;
constexpr UINT kTopmostIntervalMs = 10000;
constexpr UINT kDeviceSettleMs = 3000;
constexpr UINT kCounterCheckMs = 60000;

TickOutputs* g_tickOutputs = nullptr;
TrimSchedule g_trimSchedule;
WindowHandle g_broadcastWindow;

class ProgramTickLamps final : public TickLamps {
public:
    bool RefreshSnapshot() override { return RefreshDeviceSetSnapshot(); }
    size_t Count() override { return g_indicators.size(); }
    bool IsShown(size_t index) override { return IsLampShown(index); }
    __performance_data* Sampler(size_t index) override { return g_indicators[index]->m_sampler.get(); }
    ActivityState Update(size_t index) override { return UpdateIndicator(LampOf(index)); }
};

void OnUpdateTick() {
    ProgramTickLamps lamps;
    if (!RunUpdateTick(lamps, g_tickOutputs)) return;
    if (g_trimSchedule.CountTick(g_settings.Frequency)) TrimWorkingSet();
}

void OnFlashTick(HWND worker) {
    bool flashing = false;
    ForEachShownLamp([&](size_t index, HWND lamp) {
        const __gui_data& record = *g_indicators[index];
        if (record.m_flashCountdown == 0) return;
        UpdateIndicator(lamp);
        flashing = flashing || record.m_flashCountdown != 0;
    });
    // The start-up flash is over once no lamp on screen shows it. A record without a window keeps
    // its countdown until it is shown, and would otherwise keep this timer waking the process
    // fifty times a second for good; later flashes ride the update tick.
    if (!flashing) ::KillTimer(worker, TIMERID_UPDATESTATE_HOT);
}

// Raising the lamps can move the focus on some window systems (Wine without a window manager
// does), which closes an open menu or ends a drag; the next pass raises them instead.
bool UserIsInTheMiddleOfSomething() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info)) return false;
    return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0 || info.hwndMenuOwner || info.hwndCapture;
}

void OnTopmostTick() {
    if (UserIsInTheMiddleOfSomething()) return;
    // Another program's topmost window may have covered a lamp since the last tick.
    ForEachShownLamp([](size_t, HWND lamp) {
        ::SetWindowPos(lamp, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    });
}

void OnSavePositionsDue(HWND worker) {
    ::KillTimer(worker, TIMERID_SAVEINDICATORS);
    SaveIndicators();
}

void RebuildDeviceSet() {
    // The options pages hold pointers into the device list that the rebuild replaces.
    if (g_hWndOptions) ::DestroyWindow(g_hWndOptions);
    g_hWndOptions = nullptr;
    DestroyIndicators();
    EnumDrives();
    CreateIndicators();
    CreateIndicatorWindows();
}

void OnDeviceChangeSettled(HWND worker) {
    ::KillTimer(worker, TIMERID_REENUMERATE);
    RebuildDeviceSet();
}

// A repair of the disk counters shows without a restart.
void OnCounterCheckDue() {
    if (!DiskCountersCameBack()) return;
    g_trace.Trace(u"Disk counters are back");
    RebuildDeviceSet();
}

void OnTrayMenu(HWND worker) {
    switch (ShowTrayMenu(g_broadcastWindow.get())) {
        case IDM_OPTIONS: ShowOptionsWindow(); break;
        case IDM_EXIT:
            ::DestroyWindow(worker);
            ::PostQuitMessage(0);
            break;
        default: break;
    }
}

void OnTrayNotify(HWND worker, WPARAM iconId, LPARAM event) {
    if (iconId != kTrayIconId) return;
    switch (event) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK: ShowOptionsWindow(); break;
        case WM_RBUTTONUP: OnTrayMenu(worker); break;
        // The icon's close notification: the lamps' places are kept before anything ends.
        case WM_CLOSE: SaveIndicators(); break;
        default: break;
    }
}

void OnTimer(HWND worker, UINT_PTR id) {
    switch (id) {
        case TIMERID_UPDATESTATE: OnUpdateTick(); break;
        case TIMERID_SAVEINDICATORS: OnSavePositionsDue(worker); break;
        case TIMERID_UPDATESTATE_HOT: OnFlashTick(worker); break;
        case TIMERID_UPDATESTATE_TOPMOST: OnTopmostTick(); break;
        case TIMERID_REENUMERATE: OnDeviceChangeSettled(worker); break;
        case TIMERID_COUNTERCHECK: OnCounterCheckDue(); break;
        default: break;
    }
}

LRESULT CALLBACK WorkerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER: OnTimer(window, wParam); return 0;
        case kTrayCallbackMessage: OnTrayNotify(window, wParam, lParam); return 0;
        case WM_DEVICECHANGE:
            // Restarted by each notification, so that a burst of them leads to one rebuild.
            ::SetTimer(window, TIMERID_REENUMERATE, kDeviceSettleMs, nullptr);
            return 0;
        default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK BroadcastWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DISPLAYCHANGE) {
        RescueLostLamps();
    } else if (message != 0 && message == TaskbarCreatedMessage()) {
        g_trayNotify.OnTaskbarCreated();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class ProgramLampHost final : public IndicatorHost {
public:
    HWND WorkerWindow() override { return g_hWndWorker; }
    void ShowOptionsWindow() override { lumora::ShowOptionsWindow(); }
    std::vector<HWND> LampWindows() override {
        std::vector<HWND> lamps;
        lamps.reserve(g_devices.size());
        for (const DeviceRecord& device : g_devices) lamps.push_back(static_cast<HWND>(device.hWnd));
        return lamps;
    }
};

class Win32IndicatorWindows final : public IndicatorWindows {
public:
    WindowRef CreateIndicatorWindow(DeviceRecord& device, __gui_data& record, int index) override {
        HWND lamp = lumora::CreateIndicatorWindow(device, &record, index);
        // A lamp stored where no monitor shows it could never be dragged back.
        if (lamp) BringNewLampInView(lamp, device, record);
        return lamp;
    }
    void DestroyIndicatorWindow(WindowRef window) override { ::DestroyWindow(static_cast<HWND>(window)); }
    void DetachIndicatorWindow(WindowRef window) override { lumora::DetachIndicatorWindow(static_cast<HWND>(window)); }
};

}  // namespace

void SetTickOutputs(TickOutputs* outputs) { g_tickOutputs = outputs; }

// An open window keeps its selected tab; a closed one is made anew.
void ShowOptionsWindow() {
    if (!g_hWndOptions) {
        CreateOptionsWindow(SW_SHOW);
        return;
    }
    ::ShowWindow(g_hWndOptions, SW_SHOWNORMAL);
    ::BringWindowToTop(g_hWndOptions);
}

ATOM RegisterWorkerWndClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WorkerWndProc;
    wc.hInstance = g_hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWorkerClassName;
    return ::RegisterClassExW(&wc);
}

HWND CreateWorkerWindow() {
    return ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWorkerClassName, L"", WS_POPUP, 0, 0, 0, 0,
                             HWND_MESSAGE, nullptr, g_hInstance, nullptr);
}

void SubscribeToDeviceChanges(HWND worker) {
    static const GUID kInterfaceClasses[] = {
        {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}},  // USB devices
        {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}},  // disks
    };
    for (const GUID& interfaceClass : kInterfaceClasses) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = interfaceClass;
        // The subscription lasts as long as the worker window; nothing else needs its handle.
        if (!::RegisterDeviceNotificationW(worker, &filter, DEVICE_NOTIFY_WINDOW_HANDLE)) {
            g_trace.Trace(u"Failed to register for device notifications");
        }
    }
}

void CreateBroadcastWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BroadcastWndProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = kBroadcastWindowClassName;
    // Registered already when the program is started again in the same process (the leak check).
    ::RegisterClassExW(&wc);
    // Never shown, so it takes no place on the taskbar or in Alt+Tab.
    g_broadcastWindow.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kBroadcastWindowClassName, L"", WS_POPUP, 0, 0, 0, 0,
                                              nullptr, nullptr, g_hInstance, nullptr));
}

void DestroyBroadcastWindow() { g_broadcastWindow.reset(); }

void StartWorkerTimers(HWND worker, int32_t updateIntervalMs) {
    g_trace.Trace(u"timer TIMERID_UPDATESTATE");
    ::SetTimer(worker, TIMERID_UPDATESTATE, static_cast<UINT>(updateIntervalMs), nullptr);
    g_trace.Trace(u"timer TIMERID_UPDATESTATE_HOT");
    ::SetTimer(worker, TIMERID_UPDATESTATE_HOT, kFlashIntervalMs, nullptr);
    g_trace.Trace(u"timer TIMERID_UPDATESTATE_TOPMOST");
    ::SetTimer(worker, TIMERID_UPDATESTATE_TOPMOST, kTopmostIntervalMs, nullptr);
    // Costs nothing while the counters work; without them, one query a minute.
    ::SetTimer(worker, TIMERID_COUNTERCHECK, kCounterCheckMs, nullptr);
}

void InstallLampWindows() {
    static ProgramLampHost host;
    static Win32IndicatorWindows windows;
    InitIndicatorWindows(g_hInstance, &host);
    g_deviceSetContext.windows = &windows;
}

}  // namespace lumora
