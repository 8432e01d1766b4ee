// exit_check [broken-menu-owner]
//
// lumora.exe's own start-up, message loop and shutdown in one process (silently started, as at
// logon), whose lamp records live in memory that the shutdown makes unreadable: every allocation
// of a record's size gets pages of its own, and deleting it takes all access to them away instead
// of handing them back. A lamp that reads its record after the shutdown deleted it faults at once;
// the fault is reported on stderr and ends the process with exit code 3. The test ends the loop
// through one of the program's Exit commands, as a user does. After the shutdown every lamp gets
// the messages that a window can still get before its process ends (activation, focus, the mouse,
// paint, its tooltip's question, a DPI change); then the tool prints {"lamps":N} and exits 0.
//
// With "broken-menu-owner" the hidden window that owns the tray menu cannot be made: its class is
// taken first by one whose windows refuse to be created.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>

#include "app/device_set.h"
#include "app/message_loop.h"
#include "app/resident_program.h"
#include "app/worker_window.h"
#include "indicators/win32_tray_notify.h"
#include "resource_ids.h"
#include "settings/settings_store.h"

namespace {

constexpr size_t kRecordSize = sizeof(lumora::__gui_data);
// Room for every record of a start-up and for whatever else happens to have their size.
constexpr size_t kMostGuarded = 512;
void* g_guarded[kMostGuarded];
size_t g_guardedCount = 0;

void* AllocateGuarded() {
    if (g_guardedCount == kMostGuarded) return nullptr;
    void* block = ::VirtualAlloc(nullptr, kRecordSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block) g_guarded[g_guardedCount++] = block;
    return block;
}

bool ReleaseGuarded(void* block) {
    for (size_t i = 0; i < g_guardedCount; ++i) {
        if (g_guarded[i] != block) continue;
        DWORD previous = 0;
        ::VirtualProtect(block, kRecordSize, PAGE_NOACCESS, &previous);
        return true;
    }
    return false;
}

// Runs before any handler that Wine's message dispatch may put around a window procedure.
LONG CALLBACK ReportDeletedRecordRead(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const auto address = static_cast<uintptr_t>(record.ExceptionInformation[1]);
    for (size_t i = 0; i < g_guardedCount; ++i) {
        const auto start = reinterpret_cast<uintptr_t>(g_guarded[i]);
        if (address < start || address >= start + kRecordSize) continue;
        std::fprintf(stderr, "a deleted lamp record was read at %p by the instruction at %p\n",
                     reinterpret_cast<void*>(address), record.ExceptionAddress);
        std::fflush(stderr);
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return FALSE;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void BreakMenuOwner(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = RefuseCreation;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = lumora::kBroadcastWindowClassName;
    ::RegisterClassExW(&windowClass);
}

void SendWhatALampMayStillGet(HWND lamp) {
    ::SendMessageW(lamp, WM_NCACTIVATE, TRUE, 0);
    ::SendMessageW(lamp, WM_ACTIVATE, WA_ACTIVE, 0);
    ::SendMessageW(lamp, WM_SETFOCUS, 0, 0);
    ::SendMessageW(lamp, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    ::SendMessageW(lamp, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(lamp, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 4));
    ::SendMessageW(lamp, WM_LBUTTONUP, 0, MAKELPARAM(6, 4));
    NMTTDISPINFOW tip{};
    tip.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(lamp, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    RECT suggested{100, 100, 124, 118};
    ::SendMessageW(lamp, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ::RedrawWindow(lamp, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::SendMessageW(lamp, WM_NCACTIVATE, FALSE, 0);
    ::SendMessageW(lamp, WM_ACTIVATE, WA_INACTIVE, 0);
    ::SendMessageW(lamp, WM_KILLFOCUS, 0, 0);
}

}  // namespace

void* operator new(size_t size) {
    if (size == kRecordSize) {
        if (void* block = AllocateGuarded()) return block;
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    std::fputs("out of memory\n", stderr);
    std::abort();
}

void operator delete(void* block) noexcept {
    if (block && !ReleaseGuarded(block)) std::free(block);
}

void operator delete(void* block, size_t) noexcept { operator delete(block); }

int wmain(int argc, wchar_t** argv) {
    using namespace lumora;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::AddVectoredExceptionHandler(1, ReportDeletedRecordRead);
    if (argc > 1 && std::wcscmp(argv[1], L"broken-menu-owner") == 0) BreakMenuOwner(instance);

    g_settings.SilentStart = true;
    if (!StartResidentProgram(instance)) return 1;
    const HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_LUMORA));
    RunMessageLoop(nullptr, accelerators, ShowOptionsWindow);
    StopResidentProgram();

    unsigned lamps = 0;
    for (const DeviceRecord& device : g_devices) {
        const HWND lamp = static_cast<HWND>(device.hWnd);
        if (!lamp || !::IsWindow(lamp)) continue;
        ++lamps;
        SendWhatALampMayStillGet(lamp);
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    std::printf("{\"lamps\":%u}\n", lamps);
    return 0;
}
