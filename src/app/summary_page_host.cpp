#include "app/summary_page_host.h"

#include <windows.h>

#include "app/shown_lamps.h"

namespace lumora {
namespace {

class ProgramSummaryHost final : public SummaryPageHost {
public:
    std::vector<SummaryDevice> ShownDevices() override {
        std::vector<SummaryDevice> shown;
        ForEachShownLamp([&](size_t index, HWND lamp) {
            // A lamp holds its record as window user data, and none when its sampler would not open.
            const auto* record = reinterpret_cast<const LampRecord*>(::GetWindowLongPtrW(lamp, GWLP_USERDATA));
            if (record) shown.push_back({&g_devices[index], record->m_sampler.get()});
        });
        return shown;
    }
};

}  // namespace

SummaryPageHost& ProgramSummaryPageHost() {
    static ProgramSummaryHost host;
    return host;
}

}  // namespace lumora
