#include "app/resident_program.h"

#include <memory>

#include "app/app_state.h"
#include "app/appearance_page_host.h"
#include "app/device_set.h"
#include "app/general_page_host.h"
#include "app/indicator_store.h"
#include "app/summary_page_host.h"
#include "app/tick_outputs.h"
#include "app/worker_window.h"
#include "indicators/indicator_window.h"
#include "indicators/tray_notify.h"
#include "indicators/win32_tray_notify.h"
#include "options/options_window.h"
#include "sampling/registry_access.h"
#include "sampling/win32_sampling.h"
#include "settings/ini_engine.h"
#include "settings/registry_key.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "settings/win32_settings_platform.h"
#include "support/trace_log.h"

namespace lumora {
namespace {

// The Win32 operations behind the performance data and the samplers; they outlive every sampler.
Win32SamplingPlatform g_samplingPlatform;
std::unique_ptr<DirectRegistryAccess> g_registryAccess;

}  // namespace

bool StartResidentProgram(HINSTANCE instance) {
    g_hInstance = instance;
    g_ini = std::make_unique<CIniEx>(4, SettingsFiles(), SettingsCaseMapping());
    // A file that cannot be opened leaves an empty model: the program runs on its defaults.
    OpenSettingsFile(SettingsFolderLookup(), u"Lumora Indicator", u"settings.ini", true, true, true);
    InstallLampBrushes();
    SerializeSettings(true);
    ApplyStartWithWindows();

    g_trace.Trace(u"Registering classes");
    g_optionsContext = {g_hInstance, &g_hWndOptions, TrimWorkingSet};
    g_optionsContext.general = &ProgramGeneralPageHost();
    g_optionsContext.appearance = &ProgramAppearancePageHost();
    g_optionsContext.summary = &ProgramSummaryPageHost();
    g_trace.TracePart(u"registerClassEx atom = ");
    g_trace.TraceValue(RegisterOptionsWndClass());
    g_trace.TraceText("\n");
    InstallLampWindows();
    RegisterIndicatorWndClass();
    g_trace.Trace(u"Registering classes finished.");

    g_registryAccess = std::make_unique<DirectRegistryAccess>(g_samplingPlatform.query, g_samplingPlatform.perfDisk);
    if (!g_registryAccess->Initialize()) {
        g_trace.Trace(u"Service access failed.");
        g_registryAccess.reset();
        ::MessageBoxW(nullptr, L"Failed to load product component. Please reinstall.", L"Installation problem", MB_OK);
        return false;
    }
    g_pRegistryAccess = g_registryAccess.get();

    g_trace.TracePart(u"RegisterWorkerWndClass atom = ");
    g_trace.TraceValue(RegisterWorkerWndClass());
    g_trace.TraceText("\n");
    g_trace.TracePart(u"Creating worker window");
    g_trace.TraceValue(reinterpret_cast<uintptr_t>(g_hInstance));
    g_trace.TraceText("\n");
    g_hWndWorker = CreateWorkerWindow();
    SubscribeToDeviceChanges(g_hWndWorker);
    CreateBroadcastWindow();
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
    g_deviceSetContext.systemDisks = &g_samplingPlatform.systemDisks;
    g_deviceSetContext.store = &ProgramIndicatorStore();
    g_deviceSetContext.indicationMode = &g_indicationMode;
    g_trace.Trace(u"EnumDrives");
    EnumDrives();
    g_trace.Trace(u"Creating indicators");
    CreateIndicators();
    CreateIndicatorWindows();
    TrimWorkingSet();
    if (!g_settings.SilentStart) CreateOptionsWindow(SW_SHOW);
    TrimWorkingSet();
    return true;
}

void StopResidentProgram() {
    SerializeSettings(false);
    SaveAndDeleteIndicators();
    StopTrayNotify();
    DestroyBroadcastWindow();

    // The Exit command may have destroyed the worker already; the call then fails harmlessly.
    ::DestroyWindow(g_hWndWorker);
    g_hWndWorker = nullptr;
    // Writes the file a last time when anything changed since the last save.
    g_ini.reset();
    g_deviceSetContext.registry = nullptr;
    g_pRegistryAccess = nullptr;
    g_registryAccess.reset();
}

}  // namespace lumora
