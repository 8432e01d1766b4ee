// Entry point: single-instance hand-over, version check, start-up, message loop, shutdown.

#include <windows.h>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/message_loop.h"
#include "app/single_instance.h"
#include "app/worker_window.h"
#include "support/trace_log.h"
#include "support/wide_text.h"

namespace lumora {
namespace {

bool g_silentStart = false;

bool IsWindowsVersionSupported() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
    return version.dwMajorVersion >= 5;
}

void BringOptionsWindowForward() {
    if (g_hWndOptions) {
        ::ShowWindow(g_hWndOptions, SW_SHOWNORMAL);
        ::BringWindowToTop(g_hWndOptions);
    }
}

int RunFirstInstance(HINSTANCE instance, const SingleInstanceGuard& guard) {
    g_hInstance = instance;

    g_trace.Trace(u"Registering classes");
    g_trace.Trace(u"Registering classes finished.");

    g_trace.TracePart(u"RegisterWorkerWndClass atom = ");
    g_trace.TraceValue(RegisterWorkerWndClass());
    g_trace.TraceText("\n");
    g_trace.TracePart(u"Creating worker window");
    g_trace.TraceValue(reinterpret_cast<uintptr_t>(g_hInstance));
    g_trace.TraceText("\n");
    g_hWndWorker = CreateWorkerWindow();

    const WPARAM quitCode = RunMessageLoop(guard.Event(), nullptr, BringOptionsWindowForward);

    // The Exit command may have destroyed the worker already; the call then fails harmlessly.
    ::DestroyWindow(g_hWndWorker);
    g_hWndWorker = nullptr;
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
    g_silentStart = IsSilentStartRequested(AsUtf16(commandLine, ::lstrlenW(commandLine)));
    g_trace.Trace(u"Processing cmdline finished.");

    if (!IsWindowsVersionSupported()) {
        ::MessageBoxW(nullptr, L"This software works only on Windows 2000, WindowsXP and higher. Please, press Ok to exit.",
                      L"Incompatible version", MB_OK);
        return 0;
    }

    return RunFirstInstance(instance, guard);
}
