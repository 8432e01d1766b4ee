#include "app/general_page_host.h"

#include "app/device_set.h"

namespace lumora {

namespace {

class ProgramGeneralPage final : public GeneralPageHost {
public:
    std::vector<IndicatorChoice> Records() override {
        std::vector<IndicatorChoice> records;
        records.reserve(g_indicators.size());
        for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) {
            records.push_back({g_devices[i].kind, g_indicators[i]->m_visible});
        }
        return records;
    }

    std::u16string RecordName(size_t record) override {
        return record < g_devices.size() ? g_devices[record].name : std::u16string();
    }

    void ApplyRecords(const std::vector<IndicatorChoice>& records) override {
        for (size_t i = 0; i < g_indicators.size() && i < g_devices.size() && i < records.size(); ++i) {
            __gui_data& record = *g_indicators[i];
            record.m_visible = records[i].visible;
            if (record.m_settingsFile) record.m_settingsFile->SerializeIndicator(record, true, g_devices[i].name);
        }
        CreateIndicatorWindows();
    }
};

}  // namespace

GeneralPageHost& ProgramGeneralPageHost() {
    static ProgramGeneralPage host;
    return host;
}

}  // namespace lumora
