// Entry point: single-instance hand-over, version check, start-up, message loop, shutdown.

#include <windows.h>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/device_set.h"
#include "app/indicator_store.h"
#include "app/message_loop.h"
#include "app/single_instance.h"
#include "app/tick_outputs.h"
#include "app/worker_window.h"
#include "indicators/indicator_window.h"
#include "indicators/tray_notify.h"
#include "indicators/win32_tray_notify.h"
#include "settings/ini_engine.h"
#include "settings/registry_key.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "sampling/registry_access.h"
#include "sampling/win32_sampling.h"
#include "settings/win32_settings_platform.h"
#include "support/trace_log.h"
#include "support/wide_text.h"

namespace lumora {
namespace {

// The Win32 operations behind the performance data and the samplers; they outlive every sampler.
Win32SamplingPlatform g_samplingPlatform;

bool IsWindowsVersionSupported() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
    return version.dwMajorVersion >= 5;
}

int RunFirstInstance(HINSTANCE instance, const SingleInstanceGuard& guard) {
    g_hInstance = instance;
    g_ini = std::make_unique<CIniEx>(4, SettingsFiles(), SettingsCaseMapping());
    // A file that cannot be opened leaves an empty model: the program runs on its defaults.
    OpenSettingsFile(SettingsFolderLookup(), u"Lumora Indicator", u"settings.ini", true, true, true);
    InstallLampBrushes();
    SerializeSettings(true);
    ApplyStartWithWindows();

    g_trace.Trace(u"Registering classes");
    InstallLampWindows();
    RegisterIndicatorWndClass();
    g_trace.Trace(u"Registering classes finished.");

    auto registryAccess = std::make_unique<DirectRegistryAccess>(g_samplingPlatform.query, g_samplingPlatform.perfDisk);
    if (!registryAccess->Initialize()) {
        g_trace.Trace(u"Service access failed.");
        registryAccess.reset();
        ::MessageBoxW(nullptr, L"Failed to load product component. Please reinstall.", L"Installation problem", MB_OK);
        return -1;
    }
    g_pRegistryAccess = registryAccess.get();

    g_trace.TracePart(u"RegisterWorkerWndClass atom = ");
    g_trace.TraceValue(RegisterWorkerWndClass());
    g_trace.TraceText("\n");
    g_trace.TracePart(u"Creating worker window");
    g_trace.TraceValue(reinterpret_cast<uintptr_t>(g_hInstance));
    g_trace.TraceText("\n");
    g_hWndWorker = CreateWorkerWindow();
    SubscribeToDeviceChanges(g_hWndWorker);
    StartWorkerTimers(g_hWndWorker, g_settings.Frequency);
    SetTickOutputs(&ProgramTickOutputs());
    StartTrayNotify(g_hInstance, g_hWndWorker);
    if (g_settings.ShowTrayIcon) {
        g_trace.Trace(u"g_trayNotify.AddIcon()");
        g_trayNotify.AddIcon();
    }

    g_deviceSetContext.registry = g_pRegistryAccess;
    g_deviceSetContext.volumes = &g_samplingPlatform.volumes;
    g_deviceSetContext.disks = &g_samplingPlatform.disks;
    g_deviceSetContext.text = &g_samplingPlatform.text;
    g_deviceSetContext.store = &ProgramIndicatorStore();
    g_deviceSetContext.indicationMode = &g_indicationMode;
    g_trace.Trace(u"EnumDrives");
    EnumDrives();
    g_trace.Trace(u"Creating indicators");
    CreateIndicators();
    CreateIndicatorWindows();
    TrimWorkingSet();

    const WPARAM quitCode = RunMessageLoop(guard.Event(), nullptr, ShowOptionsWindow);
    SerializeSettings(false);
    SaveAndDeleteIndicators();
    StopTrayNotify();

    // The Exit command may have destroyed the worker already; the call then fails harmlessly.
    ::DestroyWindow(g_hWndWorker);
    g_hWndWorker = nullptr;
    // Writes the file a last time when anything changed since the last save.
    g_ini.reset();
    g_deviceSetContext.registry = nullptr;
    g_pRegistryAccess = nullptr;
    registryAccess.reset();
    return static_cast<int>(quitCode);
}

}  // namespace
}  // namespace lumora

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    using namespace lumora;

    g_trace.Trace(u"Starting instance.");
    SingleInstanceGuard guard;
    if (guard.AnotherInstanceRuns()) {
        g_trace.Trace(u"Another instance found.");
        guard.SignalRunningInstance();
        ::Sleep(200);
        return 0;
    }

    g_trace.Trace(u"Processing cmdline.");
    g_settings.SilentStart = IsSilentStartRequested(AsUtf16(commandLine, ::lstrlenW(commandLine)));
    g_trace.Trace(u"Processing cmdline finished.");

    if (!IsWindowsVersionSupported()) {
        ::MessageBoxW(nullptr, L"This software works only on Windows 2000, WindowsXP and higher. Please, press Ok to exit.",
                      L"Incompatible version", MB_OK);
        return 0;
    }

    return RunFirstInstance(instance, guard);
}
