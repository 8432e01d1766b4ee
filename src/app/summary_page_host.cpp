#include "app/summary_page_host.h"

#include <windows.h>

#include "app/device_set.h"

namespace lumora {
namespace {

class ProgramSummaryHost final : public SummaryPageHost {
public:
    std::vector<SummaryDevice> ShownDevices() override {
        std::vector<SummaryDevice> shown;
        for (const DeviceRecord& device : g_devices) {
            HWND lamp = static_cast<HWND>(device.hWnd);
            if (!lamp || !::IsWindowVisible(lamp)) continue;
            // A lamp holds its record as window user data, and none when its sampler would not open.
            const auto* record = reinterpret_cast<const LampRecord*>(::GetWindowLongPtrW(lamp, GWLP_USERDATA));
            if (!record) continue;
            shown.push_back({&device, record->m_sampler.get()});
        }
        return shown;
    }
};

}  // namespace

SummaryPageHost& ProgramSummaryPageHost() {
    static ProgramSummaryHost host;
    return host;
}

}  // namespace lumora
