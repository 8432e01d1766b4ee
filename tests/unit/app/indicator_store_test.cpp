#include "app/indicator_store.h"

#include <gtest/gtest.h>

#include "settings/ini_engine.h"
#include "settings/ini_platform.h"
#include "unit/settings/fake_settings_files.h"

namespace lumora {
namespace {

const std::u16string kPath = u"C:\\settings.ini";

CIniEx* g_testEngine = nullptr;

struct IndicatorStoreTest : ::testing::Test {
    testing::FakeSettingsFiles files;
    Latin1CaseMapping caseMapping;
    CIniEx ini{4, files, caseMapping};
    SettingsIndicatorStore store{[]() { return g_testEngine; }};

    void SetUp() override { g_testEngine = &ini; }
    void TearDown() override { g_testEngine = nullptr; }
    void Open(const char* text) {
        files.files[kPath] = text;
        ASSERT_TRUE(ini.Open(kPath, false, false, true));
    }
};

TEST_F(IndicatorStoreTest, LoadsTheDeviceSectionOrKeepsTheStartValues) {
    Open("\r\n[physical drive 1]\r\nx=300\r\ny=-40\r\nvisible=no\r\n\r\n[C:\\ - System]\r\ny=9\r\n");
    struct Case {
        const char16_t* section;
        int32_t x, y;
        bool visible;
    };
    const Case cases[] = {
        {u"Physical Drive 1", 300, -40, false},  // the section's name in any case
        {u"C:\\ - System", 20, 9, true},         // a missing key keeps the start value
        {u"All-In-One", 20, 2, true},            // no section at all
    };
    for (const Case& c : cases) {
        __gui_data record;
        record.m_x = 20;
        record.m_y = 2;
        record.m_visible = true;
        store.SerializeIndicator(record, false, c.section);
        EXPECT_EQ(record.m_x, c.x) << std::u16string(c.section).size();
        EXPECT_EQ(record.m_y, c.y);
        EXPECT_EQ(record.m_visible, c.visible);
    }
    EXPECT_FALSE(ini.IsModified()) << "loading writes nothing";
}

TEST_F(IndicatorStoreTest, SavesPositionAndEnabledFlagIntoTheDeviceSection) {
    Open("\r\n[General]\r\nClass=2\r\n");
    __gui_data record;
    record.m_x = 74;
    record.m_y = 2;
    record.m_visible = false;
    store.SerializeIndicator(record, true, u"D:\\ - Data");
    store.SaveSettingsFile();
    EXPECT_EQ(files.files[kPath], "\r\n[General]\r\nClass=2\r\n\r\n[D:\\ - Data]\r\nx=74\r\ny=2\r\nvisible=No\r\n");
}

TEST_F(IndicatorStoreTest, WithoutAnEngineNothingIsReadOrWritten) {
    g_testEngine = nullptr;
    __gui_data record;
    record.m_x = 5;
    store.SerializeIndicator(record, false, u"All-In-One");
    store.SerializeIndicator(record, true, u"All-In-One");
    store.SaveSettings();
    EXPECT_EQ(record.m_x, 5);
    EXPECT_EQ(files.writes, 0);
}

}  // namespace
}  // namespace lumora
