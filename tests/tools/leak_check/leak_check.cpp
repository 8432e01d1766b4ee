// leak_check SCENARIO ROUNDS
//
// Starts the resident program in this process as lumora.exe does (settings.ini of this prefix,
// lamps, worker window, tray icon, LED), then runs rounds of update ticks as the worker's timer
// would deliver them, with what a long run meets: activity that changes (SCENARIO is the file
// the test counter source reads; this tool writes ten drives and five volumes into it), the
// start-up flash, drags of a lamp alone, with Ctrl and with Shift, the topmost and save timers,
// and a rebuild after a device change, whose new lamps flash again. After the first round and
// after the last it prints the live GDI objects and the windows of the process as one JSON line:
// a round ends in the state it began with, so a leak shows as a difference.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "app/app_state.h"
#include "app/device_set.h"
#include "app/resident_program.h"
#include "app/worker_window.h"
#include "indicators/indicator_window.h"
#include "settings/settings_store.h"

namespace {

using namespace lumora;

constexpr int kTicksPerRound = 500;
constexpr int kStartupFlashTicks = 120;
constexpr int kRebuildTick = 150;  // the rebuilt lamps' flash is over long before the round ends
constexpr int kDragEvery = 25;

// One entry of Wine's GDI handle table, which the 64-bit PEB points at from offset 0xF8.
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's layout");
constexpr size_t kGdiHandleEntries = 65536;

// Wine answers GetGuiResources with 0 (not implemented), Windows with the real count.
bool g_gdiFromTable = false;

unsigned long GdiObjects() {
    if (!g_gdiFromTable) return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    const uint8_t* peb = nullptr;
    asm("movq %%gs:0x60, %0" : "=r"(peb));  // the 64-bit TEB's pointer to the PEB
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + 0xF8);
    unsigned long live = 0;
    for (size_t i = 0; table && i < kGdiHandleEntries; ++i) live += table[i].type != 0 && table[i].object != 0;
    return live;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<unsigned long*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM count) {
    CountWindow(window, count);
    ::EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// The tooltips and the lamps are top-level windows of this thread.
unsigned long Windows() {
    unsigned long count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    return count;
}

unsigned long Lamps() {
    unsigned long lamps = 0;
    for (const DeviceRecord& device : g_devices) {
        lamps += device.hWnd && ::IsWindowVisible(static_cast<HWND>(device.hWnd));
    }
    return lamps;
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void Timer(UINT_PTR id) { ::SendMessageW(g_hWndWorker, WM_TIMER, id, 0); }

// Ten drives and five volumes, so that with the All-In-One lamp sixteen lamps show. Every disk
// reads, writes, does both or rests by turns of five ticks, a cycle that divides a round; the
// queue counters only grow.
class ScenarioFile {
public:
    explicit ScenarioFile(std::wstring path) : m_path(std::move(path)), m_temporary(m_path + L".new") {}

    bool Write(int tick) {
        static const uint64_t kPatterns[4][2] = {{0, 0}, {1, 0}, {0, 1}, {3, 1}};
        const uint64_t* pattern = kPatterns[tick / 5 % 4];
        m_reads += pattern[0] * 100000;
        m_writes += pattern[1] * 100000;
        std::string text = "object 234\n";
        for (int drive = 0; drive < 10; ++drive) AddInstance(text, drive == 0 ? "0 C:" : std::to_string(drive));
        AddInstance(text, "_Total");
        text += "object 236\n";
        for (const char* volume : {"C:", "D:", "E:", "F:", "G:", "_Total"}) AddInstance(text, volume);
        HANDLE file = ::CreateFileW(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
        // The counter source never sees half a file.
        return ok && ::MoveFileExW(m_temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

private:
    void AddInstance(std::string& text, const std::string& name) const {
        const uint64_t counters[][3] = {{1400, 0x00550500, m_reads + m_writes}, {226, 0x40020500, 0},
                                        {228, 0x40020500, 0},  {214, 0x10410400, m_reads / 1000},
                                        {216, 0x10410400, m_writes / 1000},     {1402, 0x00550500, m_reads},
                                        {1404, 0x00550500, m_writes}};
        text += "instance " + name + "\n";
        for (const auto& counter : counters) {
            const unsigned size = counter[1] == 0x10410400 ? 4 : 8;
            const uint64_t value = size == 4 ? counter[2] & 0xFFFFFFFFu : counter[2];
            text += "counter " + std::to_string(counter[0]) + " " + std::to_string(counter[1]) + " " +
                    std::to_string(size) + " " + std::to_string(value) + "\n";
        }
    }

    std::wstring m_path;
    std::wstring m_temporary;
    uint64_t m_reads = 0;
    uint64_t m_writes = 0;
};

// Presses the lamp's top-left corner, moves it away and back, and lets go, as the mouse does;
// `key` (0 for none) is held through the drag. True when the lamp saw the key.
bool DragLamp(HWND lamp, BYTE key) {
    if (key) ::keybd_event(key, 0, 0, 0);
    const bool held = key && ::GetAsyncKeyState(key) < 0;
    ::SendMessageW(lamp, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::SendMessageW(lamp, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(14, 9));
    ::SendMessageW(lamp, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-12, -7));
    ::SendMessageW(lamp, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    if (key) ::keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    return held;
}

struct Seen {
    bool shift = false;
    bool control = false;
};

void RunTick(int tick, ScenarioFile& scenario, Seen& seen) {
    const int phase = tick % kTicksPerRound;
    scenario.Write(tick);
    Timer(TIMERID_UPDATESTATE);
    if (tick < kStartupFlashTicks) Timer(TIMERID_UPDATESTATE_HOT);
    if (phase % kDragEvery == kDragEvery - 1 && !g_devices.empty()) {
        const int drag = phase / kDragEvery;
        HWND lamp = static_cast<HWND>(g_devices[drag % g_devices.size()].hWnd);
        if (lamp && drag % 3 == 1) seen.control |= DragLamp(lamp, VK_CONTROL);
        if (lamp && drag % 3 == 2) seen.shift |= DragLamp(lamp, VK_SHIFT);
        if (lamp && drag % 3 == 0) DragLamp(lamp, 0);
    }
    if (phase % 100 == 50) {
        Timer(TIMERID_UPDATESTATE_TOPMOST);
        Timer(TIMERID_SAVEINDICATORS);
    }
    if (phase == kRebuildTick) {
        ::SendMessageW(g_hWndWorker, WM_DEVICECHANGE, 7, 0);  // DBT_DEVNODES_CHANGED
        Timer(TIMERID_REENUMERATE);
    }
    PumpMessages();
}

void PrintCounts(const char* name, unsigned long gdi, unsigned long windows) {
    std::printf("\"%s\":{\"gdi\":%lu,\"windows\":%lu},", name, gdi, windows);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: leak_check SCENARIO ROUNDS\n");
        return 2;
    }
    ScenarioFile scenario(argv[1]);
    const int rounds = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (!scenario.Write(0) || rounds < 2) {
        std::fprintf(stderr, "cannot write the scenario, or fewer than two rounds\n");
        return 2;
    }
    g_gdiFromTable = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) == 0;
    // As lumora.exe starts with the user's logon ("/s"): the lamps without the options window.
    g_settings.SilentStart = true;
    if (!StartResidentProgram(::GetModuleHandleW(nullptr))) return 1;
    // This tool is the worker's clock: every tick comes from RunTick, none from the system.
    for (UINT_PTR id : {TIMERID_UPDATESTATE, TIMERID_UPDATESTATE_HOT, TIMERID_UPDATESTATE_TOPMOST}) {
        ::KillTimer(g_hWndWorker, id);
    }

    Seen seen;
    int tick = 0;
    for (; tick < kTicksPerRound; ++tick) RunTick(tick, scenario, seen);
    const unsigned long warmGdi = GdiObjects();
    const unsigned long warmWindows = Windows();
    for (; tick < rounds * kTicksPerRound; ++tick) RunTick(tick, scenario, seen);

    std::printf("{\"gdiCount\":\"%s\",", g_gdiFromTable ? "wine handle table" : "GetGuiResources");
    PrintCounts("warm", warmGdi, warmWindows);
    PrintCounts("end", GdiObjects(), Windows());
    std::printf("\"lamps\":%lu,\"ticks\":%d,\"shiftSeen\":%s,\"controlSeen\":%s}\n", Lamps(), tick,
                seen.shift ? "true" : "false", seen.control ? "true" : "false");
    StopResidentProgram();
    return 0;
}
