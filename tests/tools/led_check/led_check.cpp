// led_check PAUSE_MS TICK...
//
// Runs the keyboard LED on its real Win32 operations through one update tick per TICK and
// prints one JSON line per moment: where "Kbd" points while the LED lives, the ScrollLock
// toggle state after each tick (read after PAUSE_MS of message pumping, as the next tick of
// the program would read it), and where "Kbd" points once the LED is gone.
// A TICK is the options, k (ScrollLock key), d (direct access) or o (LED option off), then
// the activity state of the tick in hexadecimal: "k10000" is a tick in key mode that read.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "indicators/keyboard_led.h"
#include "indicators/win32_keyboard_led.h"

namespace {

using namespace lumora;

std::string KbdTarget() {
    wchar_t target[512] = {};
    if (!::QueryDosDeviceW(L"Kbd", target, 512)) return "null";
    char utf8[1024] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, target, -1, utf8, sizeof(utf8), nullptr, nullptr);
    std::string json = "\"";
    for (const char* c = utf8; *c; ++c) {
        if (*c == '\\' || *c == '"') json += '\\';
        json += *c;
    }
    return json + "\"";
}

// The program reads the key state from a message loop; so does this tool between ticks.
void PumpMessages(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: led_check PAUSE_MS TICK...\n");
        return 2;
    }
    const DWORD pause = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    auto led = std::make_unique<KeyboardLed>(std::make_unique<Win32KeyboardLedPlatform>());
    std::printf("{\"kbd\":%s}\n", KbdTarget().c_str());
    for (int i = 2; i < argc; ++i) {
        const wchar_t mode = argv[i][0];
        const KeyboardLedOptions options{mode != L'o', mode == L'd'};
        led->BeginTick(options);
        led->Accumulate(static_cast<ActivityState>(std::wcstoul(argv[i] + 1, nullptr, 16)));
        led->Apply(options);
        PumpMessages(pause);
        std::printf("{\"tick\":%d,\"scrollLock\":%s}\n", i - 2, (::GetKeyState(VK_SCROLL) & 1) ? "true" : "false");
    }
    led.reset();
    std::printf("{\"kbdAfter\":%s}\n", KbdTarget().c_str());
    return 0;
}
