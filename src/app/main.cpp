// Entry point: single-instance hand-over, version check, start-up, message loop, shutdown.

#include <windows.h>

#include "app/command_line.h"
#include "app/message_loop.h"
#include "app/resident_program.h"
#include "app/single_instance.h"
#include "app/worker_window.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "support/trace_log.h"
#include "support/win32_library.h"
#include "support/wide_text.h"

namespace lumora {
namespace {

// From here on every DLL, including those that system DLLs load for us, comes from System32
// only, never from the program's folder, where a downloaded copy may sit beside a planted DLL.
// Looked up rather than imported: Vista and Windows 7 have it only with KB2533623, and without
// it the program still starts (LoadSystemLibrary then names its files in full).
void RestrictDllSearchToSystem() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault = Export<SetDefaultDllDirectoriesFunction>(::GetModuleHandleW(L"kernel32.dll"),
                                                                   "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

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
    if (!StartResidentProgram(instance)) return -1;
    // A table from the program's own resources needs no release.
    const HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_LUMORA));
    const WPARAM quitCode = RunMessageLoop(guard.Event(), accelerators, ShowOptionsWindow);
    StopResidentProgram();
    return static_cast<int>(quitCode);
}

}  // namespace
}  // namespace lumora

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    using namespace lumora;

    RestrictDllSearchToSystem();
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
