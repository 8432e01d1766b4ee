#include "indicators/win32_keyboard_led.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddkbd.h>

#include "support/win32_device_query.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

static_assert(IOCTL_KEYBOARD_QUERY_INDICATORS == 0x000B0040 && IOCTL_KEYBOARD_SET_INDICATORS == 0x000B0008);
static_assert(sizeof(KEYBOARD_INDICATOR_PARAMETERS) == 4);

constexpr wchar_t kKbdName[] = L"Kbd";

class Win32KeyboardDevice final : public KeyboardDevice {
public:
    explicit Win32KeyboardDevice(FileHandle handle) : m_handle(std::move(handle)) {}

    bool QueryIndicators(uint16_t& ledFlags) override {
        KEYBOARD_INDICATOR_PARAMETERS answer{};
        if (!QueryDevice(m_handle.get(), IOCTL_KEYBOARD_QUERY_INDICATORS, answer)) return false;
        ledFlags = answer.LedFlags;
        return true;
    }

    bool SetIndicators(uint16_t ledFlags) override {
        KEYBOARD_INDICATOR_PARAMETERS request{};
        request.UnitId = 0;
        request.LedFlags = ledFlags;
        DWORD returned = 0;
        return ::DeviceIoControl(m_handle.get(), IOCTL_KEYBOARD_SET_INDICATORS, &request, sizeof(request), nullptr, 0,
                                 &returned, nullptr) != FALSE;
    }

private:
    FileHandle m_handle;
};

}  // namespace

bool Win32KeyboardLedPlatform::IsNtPlatform() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof(extended);
    if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
        return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    // Systems older than the extended structure answer only the short one.
    OSVERSIONINFOW basic{};
    basic.dwOSVersionInfoSize = sizeof(basic);
    if (::GetVersionExW(&basic)) return basic.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
    return false;
}

bool Win32KeyboardLedPlatform::DefineKbdName() {
    return ::DefineDosDeviceW(DDD_RAW_TARGET_PATH, kKbdName, L"\\Device\\KeyboardClass0") != FALSE;
}

void Win32KeyboardLedPlatform::RemoveKbdName() { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, kKbdName, nullptr); }

std::unique_ptr<KeyboardDevice> Win32KeyboardLedPlatform::OpenKbd() {
    FileHandle handle(::CreateFileW(L"\\\\.\\Kbd", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle) return nullptr;
    return std::make_unique<Win32KeyboardDevice>(std::move(handle));
}

bool Win32KeyboardLedPlatform::IsScrollLockToggled() { return (::GetKeyState(VK_SCROLL) & 1) != 0; }

void Win32KeyboardLedPlatform::PressScrollLock() {
    constexpr BYTE kScrollLockScanCode = 0x45;
    ::keybd_event(VK_SCROLL, kScrollLockScanCode, KEYEVENTF_EXTENDEDKEY, 0);
    ::keybd_event(VK_SCROLL, kScrollLockScanCode, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

}  // namespace lumora
