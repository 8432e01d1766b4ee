// The least any disk-activity lamp can cost under Wine: a timer at the update interval and one
// performance-data snapshot per tick, through the program's own registry access (the same query,
// the same two objects, the same buffer), and nothing else: no window, no sampler, no painting.
// The CPU benchmark runs it the way it runs lumora.exe; what lumora.exe costs beyond it is the
// program's own.
//
// lumora_floor.exe [interval-ms]   (default 30). Runs until it is ended; after the first
// snapshot it prints "ticking" so that the benchmark knows its loop runs.

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "sampling/registry_access.h"
#include "sampling/win32_sampling.h"

// A window-subsystem program like lumora.exe, so that Wine starts both the same way (no console).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    using namespace lumora;
    const unsigned long interval = *commandLine ? std::wcstoul(commandLine, nullptr, 10) : 30;
    if (interval == 0) {
        std::fprintf(stderr, "usage: lumora_floor.exe [interval-ms]\n");
        return 2;
    }
    // The system libraries that lumora.exe holds for its lamps, tooltips and tray icon. Wine
    // loads and frees every registered performance provider for each query, the spooler's
    // among them, which needs GDI and the common controls: without them already in the process
    // the floor would load and free them on every tick and cost more than the program it is
    // the floor of.
    for (const wchar_t* library : {L"gdi32.dll", L"comctl32.dll", L"shell32.dll"}) ::LoadLibraryW(library);

    Win32PerfDataQuery query;
    Win32PerfDiskSetting perfDisk;
    DirectRegistryAccess access(query, perfDisk);
    access.Initialize();
    // A thread timer: its WM_TIMER comes to the queue without any window to receive it.
    if (!::SetTimer(nullptr, 0, interval, nullptr)) {
        std::fprintf(stderr, "SetTimer failed: %lu\n", ::GetLastError());
        return 1;
    }
    bool announced = false;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_TIMER) continue;
        const bool fresh = access.Refresh();
        if (!announced) {
            std::printf(fresh ? "ticking\n" : "ticking without data\n");
            std::fflush(stdout);
            announced = true;
        }
    }
    return 0;
}
