#include "app/device_set.h"

#include <gtest/gtest.h>

#include <map>

#include "sampling/counter_sampler.h"
#include "sampling/hard_disk_sampler.h"
#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::DiskInstance;
using testing::DiskObject;

struct Stored {
    int32_t x, y;
    bool visible;
};

class FakeStore : public IndicatorStore {
public:
    void SerializeIndicator(__gui_data& record, bool save, std::u16string_view section) override {
        const std::u16string key(section);
        if (save) {
            sections[key] = {record.m_x, record.m_y, record.m_visible};
            ++saves;
        } else if (auto found = sections.find(key); found != sections.end()) {
            record.m_x = found->second.x;
            record.m_y = found->second.y;
            record.m_visible = found->second.visible;
        }
    }
    void SaveSettingsFile() override { ++fileWrites; }
    void SaveSettings() override { ++settingsWrites; }

    std::map<std::u16string, Stored> sections;
    int saves = 0, fileWrites = 0, settingsWrites = 0;
};

class FakeWindows : public IndicatorWindows {
public:
    WindowRef CreateIndicatorWindow(DeviceRecord& device, __gui_data&, int index) override {
        created.push_back({device.name, index});
        if (device.name == refuse) return nullptr;
        ++live;
        return reinterpret_cast<WindowRef>(static_cast<uintptr_t>(created.size()));
    }
    void DestroyIndicatorWindow(WindowRef) override { --live; }

    std::vector<std::pair<std::u16string, int>> created;
    std::u16string refuse;
    int live = 0;
};

class FakeVolumes : public VolumeNames {
public:
    bool GetVolumeName(const std::u16string& root, std::u16string& volumeName) override {
        auto found = labels.find(root);
        if (found == labels.end()) return false;
        volumeName = found->second;
        return true;
    }
    std::map<std::u16string, std::u16string> labels;
};

struct DeviceSetTest : ::testing::Test {
    testing::FakePerfQuery query;
    testing::FakePerfDisk perfDisk;
    testing::FakeText formatter;
    testing::FakeDisks disks;
    DirectRegistryAccess access{query, perfDisk};
    FakeStore store;
    FakeWindows windows;
    FakeVolumes volumes;
    int32_t mode = 7;

    void SetUp() override {
        g_deviceSetContext = {&access, &volumes, &disks, &formatter, &store, &windows, &mode};
        volumes.labels = {{u"C:\\", u"System"}, {u"D:\\", u""}};
    }
    void TearDown() override {
        DestroyIndicators();
        g_deviceSetContext = {};
    }

    void Serve(std::vector<std::u16string> physical, std::vector<std::u16string> logical) {
        std::vector<perfsource::PerfInstanceModel> p, l;
        for (auto& name : physical) p.push_back(DiskInstance(name, {}));
        for (auto& name : logical) l.push_back(DiskInstance(name, {}));
        query.block = perfsource::WriteBlock({DiskObject(234, p), DiskObject(236, l)}, 0);
    }
    void Build() {
        EnumDrives();
        CreateIndicators();
        CreateIndicatorWindows();
    }
    static std::vector<std::u16string> Field(std::u16string DeviceRecord::*field) {
        std::vector<std::u16string> values;
        for (const DeviceRecord& device : g_devices) values.push_back(device.*field);
        return values;
    }
};

TEST_F(DeviceSetTest, TwoDrivesAndTwoVolumes) {
    Serve({u"0 C:", u"1 D:", u"_Total"}, {u"C:", u"D:", u"_Total"});
    Build();
    EXPECT_EQ(Field(&DeviceRecord::name), (std::vector<std::u16string>{u"Physical Drive 0", u"Physical Drive 1",
                                                                       u"All-In-One", u"C:\\ - System", u"D:\\ - "}));
    EXPECT_EQ(Field(&DeviceRecord::path), (std::vector<std::u16string>{u"\\\\.\\PHYSICALDRIVE0", u"\\\\.\\PHYSICALDRIVE1",
                                                                       u"_Total", u"\\\\.\\C:", u"\\\\.\\D:"}));
    EXPECT_EQ(Field(&DeviceRecord::label), (std::vector<std::u16string>{u"0", u"1", u"All", u"C:", u"D:"}));
    ASSERT_EQ(g_indicators.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(g_indicators[i]->m_x, static_cast<int32_t>(2 + 18 * i));
        EXPECT_EQ(g_indicators[i]->m_y, 2);
        EXPECT_EQ(g_indicators[i]->m_flashCountdown, 100);
        EXPECT_EQ(g_indicators[i]->m_sampler->m_device, &g_devices[i]);
        EXPECT_NE(dynamic_cast<CRegistryAccessIndicator*>(g_indicators[i]->m_sampler.get()), nullptr);
    }
    EXPECT_EQ(store.settingsWrites, 1);
}

TEST_F(DeviceSetTest, DrivesAreNumberedFromTheirInstanceNames) {
    struct Case {
        std::vector<std::u16string> physical;
        std::vector<std::u16string> paths;
    };
    const Case cases[] = {
        {{u"0 C:", u"2 D:", u"_Total"}, {u"\\\\.\\PHYSICALDRIVE0", u"\\\\.\\PHYSICALDRIVE2"}},  // a gap
        {{u"1", u"0 C:", u"_Total"}, {u"\\\\.\\PHYSICALDRIVE0", u"\\\\.\\PHYSICALDRIVE1"}},     // no volumes
        {{u"_Total"}, {}},
        {{}, {}},
        {{u"x", u"3abc", u"99999999999", u"4 E:", u"_Total"}, {u"\\\\.\\PHYSICALDRIVE4"}},
    };
    for (const Case& c : cases) {
        Serve(c.physical, {});
        EnumDrives();
        std::vector<std::u16string> paths = Field(&DeviceRecord::path);
        ASSERT_FALSE(paths.empty());
        EXPECT_EQ(paths.back(), u"_Total") << "All-In-One follows the drives";
        paths.pop_back();
        EXPECT_EQ(paths, c.paths);
        DestroyIndicators();
    }
    Serve({u"0 C:", u"2 D:", u"_Total"}, {});
    EnumDrives();
    EXPECT_EQ(g_devices[1].name, u"Physical Drive 2");
    EXPECT_EQ(g_devices[1].label, u"2");
}

TEST_F(DeviceSetTest, LogicalDisksUntilTotal) {
    Serve({}, {u"HarddiskVolume5", u"C:", u"_Total", u"E:"});
    EnumDrives();
    ASSERT_EQ(g_devices.size(), 3u) << "All-In-One, then the volumes before _Total";
    EXPECT_EQ(g_devices[1].label, u"hd5");
    EXPECT_EQ(g_devices[1].path, u"\\\\.\\HarddiskVolume5");
    EXPECT_EQ(g_devices[1].name, u"HarddiskVolume5") << "the volume information failed";
    EXPECT_EQ(g_devices[1].kind, DEVICE_LOGICAL);
    EXPECT_EQ(g_devices[2].name, u"C:\\ - System");
}

TEST_F(DeviceSetTest, WindowsForTheEnabledRecordsOfTheMode) {
    Serve({u"0 C:", u"1 D:", u"_Total"}, {u"C:", u"D:", u"_Total"});
    store.sections[u"Physical Drive 1"] = {300, 40, false};
    struct Case {
        int32_t mode;
        std::vector<std::pair<std::u16string, int>> created;
    };
    const Case cases[] = {
        {1, {{u"Physical Drive 0", 0}}},
        {3, {{u"Physical Drive 0", 0}, {u"C:\\ - System", 1}, {u"D:\\ - ", 2}}},
        {7, {{u"Physical Drive 0", 0}, {u"All-In-One", 1}, {u"C:\\ - System", 2}, {u"D:\\ - ", 3}}},
        {kIndicationNone, {}},
    };
    EnumDrives();
    CreateIndicators();
    EXPECT_EQ(g_indicators[1]->m_x, 300) << "stored values are loaded";
    EXPECT_FALSE(g_indicators[1]->m_visible);
    for (const Case& c : cases) {
        mode = c.mode;
        windows.created.clear();
        CreateIndicatorWindows();
        EXPECT_EQ(windows.created, c.created) << "mode " << c.mode;
        EXPECT_EQ(windows.live, static_cast<int>(c.created.size())) << "the previous windows are gone";
    }
    EXPECT_NE(g_indicators[1]->m_sampler, nullptr) << "a disabled record keeps its sampler";

    // A window that cannot be made uses up its index all the same.
    mode = 7;
    windows.refuse = u"Physical Drive 0";
    windows.created.clear();
    CreateIndicatorWindows();
    EXPECT_EQ(windows.created[1], (std::pair<std::u16string, int>{u"All-In-One", 1}));
    EXPECT_EQ(g_devices[0].hWnd, nullptr);
}

TEST_F(DeviceSetTest, ARebuildKeepsThePositions) {
    Serve({u"0 C:", u"_Total"}, {u"C:", u"_Total"});
    Build();
    g_indicators[2]->m_x = 640;
    g_indicators[2]->m_y = 480;
    EXPECT_TRUE(SaveIndicators());
    EXPECT_EQ(store.fileWrites, 1);
    EXPECT_EQ(store.sections[u"C:\\ - System"].x, 640);

    g_indicators[2]->m_x = 700;
    DestroyIndicators();
    EXPECT_TRUE(g_devices.empty());
    EXPECT_TRUE(g_indicators.empty());
    EXPECT_EQ(windows.live, 0);
    Build();
    EXPECT_EQ(g_indicators[2]->m_x, 700) << "saved on the way out, loaded on the way in";
    EXPECT_EQ(g_indicators[2]->m_y, 480);

    // Renaming the volume gives it a new section: back at its default place.
    DestroyIndicators();
    volumes.labels[u"C:\\"] = u"Renamed";
    Build();
    EXPECT_EQ(g_indicators[2]->m_x, 2 + 18 * 2);
}

TEST_F(DeviceSetTest, RecordsAreNeverMovedUnderTheirSamplers) {
    Serve({u"0 C:", u"_Total"}, {u"C:", u"_Total"});
    Build();
    const DeviceRecord* first = g_devices.data();
    EnumDrives();
    CreateIndicators();
    EXPECT_EQ(g_devices.size(), 3u);
    EXPECT_EQ(g_indicators.size(), 3u);
    EXPECT_EQ(g_devices.data(), first);

    SaveAndDeleteIndicators();
    EXPECT_TRUE(g_indicators.empty());
    EXPECT_EQ(store.sections.size(), 3u);
}

TEST_F(DeviceSetTest, DriverSamplersWhenTheCountersAreSwitchedOff) {
    perfDisk.readable = true;
    perfDisk.disableCounters = 1;
    Serve({u"0 C:", u"1", u"_Total"}, {u"C:", u"_Total"});
    Build();
    ASSERT_EQ(g_indicators.size(), 4u);
    EXPECT_NE(dynamic_cast<CHardDiskIndicatorInfo*>(g_indicators[0]->m_sampler.get()), nullptr);
    auto* all = dynamic_cast<CAllInOneIndicatorInfo*>(g_indicators[2]->m_sampler.get());
    ASSERT_NE(all, nullptr);
    all->Open();
    EXPECT_EQ(all->ChildCount(), 2u);
    all->Close();
    EXPECT_NE(dynamic_cast<CHardDiskIndicatorInfo*>(g_indicators[3]->m_sampler.get()), nullptr);
    EXPECT_EQ(perfDisk.reads, 1) << "read once, then kept";
}

}  // namespace
}  // namespace lumora
