#include "app/device_set.h"

#include <gtest/gtest.h>

#include <map>

#include "app/indicator_store.h"
#include "settings/ini_engine.h"
#include "unit/sampling/sampling_fakes.h"
#include "unit/settings/fake_settings_files.h"

namespace lumora {
namespace {

struct FakeWindows : IndicatorWindows {
    WindowRef CreateIndicatorWindow(DeviceRecord& device, __gui_data&, int index) override {
        created.push_back({device.name, index});
        if (device.name == refuse) return nullptr;
        ++live;
        return reinterpret_cast<WindowRef>(created.size());
    }
    void DestroyIndicatorWindow(WindowRef) override { --live; }
    void DetachIndicatorWindow(WindowRef) override {}
    std::vector<std::pair<std::u16string, int>> created;
    std::u16string refuse;
    int live = 0;
};

struct FakeVolumes : VolumeNames {
    bool GetVolumeName(const std::u16string& root, std::u16string& volumeName) override {
        auto found = labels.find(root);
        if (found != labels.end()) volumeName = found->second;
        return found != labels.end();
    }
    std::map<std::u16string, std::u16string> labels{{u"C:\\", u"System"}, {u"D:\\", u""}};
};

const std::u16string kSettings = u"C:\\settings.ini";
CIniEx* g_engine = nullptr;  // as g_ini: the records may outlive it

using Names = std::vector<std::u16string>;

struct DeviceSetTest : ::testing::Test {
    testing::FakePerfQuery query;
    testing::FakePerfDisk perfDisk;
    DirectRegistryAccess access{query, perfDisk};
    testing::FakeSettingsFiles files;
    Latin1CaseMapping caseMapping;
    CIniEx ini{4, files, caseMapping};
    SettingsIndicatorStore store{[] { return g_engine; }};
    FakeWindows windows;
    FakeVolumes volumes;
    testing::FakeSystemDisks system;
    int32_t mode = 7;

    void SetUp() override {
        g_deviceSetContext = {&access, &volumes, nullptr, nullptr, &store, &windows, &mode, &system};
        g_engine = &ini;
        files.files[kSettings] = "";
        ASSERT_TRUE(ini.Open(kSettings, false, false, true));
    }
    void TearDown() override {
        DestroyIndicators();
        g_deviceSetContext = {};
        g_engine = nullptr;
    }
    // Instance i of the PhysicalDisk object is busy reading 100 + i, of the LogicalDisk object
    // 200 + i, so that each sampler shows which instance it found.
    static std::vector<uint8_t> Block(const Names& physical, const Names& logical) {
        std::vector<perfsource::PerfInstanceModel> p, l;
        for (auto& name : physical) p.push_back(testing::DiskInstance(name, {1, 0, 0, 0, 0, 100 + p.size()}));
        for (auto& name : logical) l.push_back(testing::DiskInstance(name, {1, 0, 0, 0, 0, 200 + l.size()}));
        return perfsource::WriteBlock({testing::DiskObject(234, p), testing::DiskObject(236, l)}, 0);
    }
    void Serve(const Names& physical, const Names& logical) { query.block = Block(physical, logical); }
    void Build() {
        EnumDrives();
        CreateIndicators();
        CreateIndicatorWindows();
    }
    static std::vector<uint32_t> Reads() {
        std::vector<uint32_t> reads;
        for (auto& record : g_indicators) {
            record->m_sampler->Open();
            reads.push_back(record->m_sampler->Update() >> 16);
        }
        return reads;
    }
};

TEST_F(DeviceSetTest, DrivesAreNumberedFromTheirInstanceNamesAndTheVolumesComeBeforeTotal) {
    // The PhysicalDisk and LogicalDisk instances, the devices found, and what each one's sampler reads.
    const std::tuple<Names, Names, Names, std::vector<uint32_t>> cases[] = {
        // A volume without a letter goes by its whole name; a volume whose label is empty.
        {{u"0 C:", u"1 D:", u"_Total"}, {u"C:", u"D:", u"HarddiskVolume50", u"HarddiskVolume5", u"H", u"_Total", u"E:"},
         {u"Physical Drive 0", u"Physical Drive 1", u"All-In-One", u"C:\\ - System", u"D:\\ - ", u"HarddiskVolume50",
          u"HarddiskVolume5", u"H"},
         {100, 101, 102, 200, 201, 202, 203, 204}},
        {{u"1", u"0 C:", u"_Total"}, {u"C:"},
         {u"Physical Drive 0", u"Physical Drive 1", u"All-In-One", u"C:\\ - System"}, {101, 100, 102, 200}},
        // "01 C:" would become drive 1, whose sampler looks for "1" and reads only zeros.
        {{u"x", u"3abc", u"99999999999", u"01 C:", u"00", u"4 E:", u"_Total"}, {u"C:"},
         {u"Physical Drive 4", u"All-In-One", u"C:\\ - System"}, {105, 106, 200}},
    };
    for (const auto& [physical, logical, names, reads] : cases) {
        Serve(physical, logical);
        Build();
        Names found;
        for (const DeviceRecord& device : g_devices) found.push_back(device.name);
        EXPECT_EQ(found, names);
        EXPECT_EQ(Reads(), reads) << "each sampler finds its own instance";
        DestroyIndicators();
    }
}

TEST_F(DeviceSetTest, DrivesAreNamedByTheSystemOnceAsTheSetIsBuiltAndNeverWhileSampling) {
    Serve({u"0 C:", u"1 D: E:", u"2", u"_Total"}, {u"C:", u"D:", u"E:", u"_Total"});
    system.descriptors[u"\\\\.\\PHYSICALDRIVE0"] = testing::StorageDescriptor("Samsung", "SSD 980 PRO", " S5GX ", 17);
    system.descriptors[u"\\\\.\\PHYSICALDRIVE1"] = testing::StorageDescriptor(nullptr, nullptr, nullptr, 7);
    system.roots = {u"C:\\", u"D:\\", u"E:\\", u"F:\\"};
    system.types = {{u"C:\\", kDriveFixed}, {u"D:\\", kDriveFixed}, {u"E:\\", kDriveRemovable}, {u"F:\\", 5}};
    // D: spans drives 1 and 0 in two extents on drive 1; F: is a CD, no disk of the lamps.
    system.volumeDrives = {{u"C:", {0}}, {u"D:", {1, 0, 1}}, {u"E:", {1}}, {u"F:", {2}}};
    Build();
    using Identity = std::tuple<std::u16string, std::u16string, std::u16string>;
    std::vector<Identity> found;
    for (const DeviceRecord& device : g_devices) found.emplace_back(device.description, device.serialNumber, device.extraText);
    const std::vector<Identity> expected = {
        {u"Samsung SSD 980 PRO", u"S5GX", u"Volumes: C: D:"}, {u"USB disk", u"", u"Volumes: D: E:"},
        {u"", u"", u""},  // no answer from drive 2
        {u"", u"", u""}, {u"", u"", u""}, {u"", u"", u""}, {u"", u"", u""}};
    EXPECT_EQ(found, expected);

    const int asked = system.driverQueries;
    for (int tick = 0; tick < 3; ++tick) {
        ASSERT_TRUE(RefreshDeviceSetSnapshot());
        Reads();
        for (auto& record : g_indicators) {
            std::u16string text;
            record->m_sampler->GetStatisticsText(text);
        }
    }
    EXPECT_EQ(system.driverQueries, asked) << "sampling and the statistics ask the drivers nothing";
}

// One build with records kept: windows for the visible records of the mode, positions that
// survive a rebuild, and records that never move.
TEST_F(DeviceSetTest, WindowsForTheEnabledRecordsOfTheModeAndARebuildKeepsThePositions) {
    Serve({u"0 C:", u"1 D:", u"_Total"}, {u"C:", u"D:", u"_Total"});
    EnumDrives();
    CreateIndicators();
    const DeviceRecord* first = g_devices.data();
    EnumDrives();
    CreateIndicators();
    ASSERT_EQ(g_indicators.size(), 5u) << "nothing is added while records exist";
    EXPECT_EQ(g_devices.data(), first);

    g_indicators[1]->m_visible = false;
    windows.refuse = u"All-In-One";  // a window that cannot be made uses up its index all the same
    const std::tuple<int32_t, std::vector<std::pair<std::u16string, int>>, int> cases[] = {  // mode, made, live
        {3, {{u"Physical Drive 0", 0}, {u"C:\\ - System", 1}, {u"D:\\ - ", 2}}, 3},
        {kIndicationNone, {}, 0},
        {7, {{u"Physical Drive 0", 0}, {u"All-In-One", 1}, {u"C:\\ - System", 2}, {u"D:\\ - ", 3}}, 3},
    };
    for (const auto& [indicationMode, created, live] : cases) {
        mode = indicationMode;
        windows.created.clear();
        CreateIndicatorWindows();
        EXPECT_EQ(windows.created, created) << "mode " << mode;
        EXPECT_EQ(windows.live, live) << "mode " << mode << ": the previous windows are gone";
    }

    // How a saved lamp reads in the file is the settings end-to-end test's.
    g_indicators[3]->m_x = 640;
    g_indicators[3]->m_y = 480;
    DestroyIndicators();
    EXPECT_TRUE(g_devices.empty());
    EXPECT_EQ(windows.live, 0);
    Build();
    EXPECT_EQ(std::pair(g_indicators[3]->m_x, g_indicators[3]->m_y), std::pair(640, 480)) << "saved on the way out";

    // Records that outlive the engine (deleted at shutdown) read and write nothing.
    DestroyIndicators();
    const int writes = files.writes;
    g_engine = nullptr;
    Build();
    SaveIndicators();
    EXPECT_EQ(g_indicators[3]->m_x, 2 + 18 * 3);
    EXPECT_EQ(files.writes, writes);
}

// Without usable counters the system lists the disks: the drives that open by number (gaps
// allowed) and the letters of fixed and removable disks, named as the counters would name them.
// That each then ends its statistics with the reason is the disks-without-counters end-to-end test's.
TEST_F(DeviceSetTest, TheSystemListsTheDisksWhenTheCountersCannotAndARepairIsNoticedWhenAskedAgain) {
    for (const char16_t* path : {u"\\\\.\\PHYSICALDRIVE0", u"\\\\.\\PHYSICALDRIVE2", u"\\\\.\\PHYSICALDRIVE63",
                                 u"\\\\.\\PHYSICALDRIVE64"}) {
        system.devices[path] = true;
    }
    system.roots = {u"C:\\", u"Z:\\", u"a:\\", u"E:\\", u"C:\\", u"\\\\?\\Volume{1}\\", u"1:\\", u""};
    system.types = {{u"C:\\", kDriveFixed}, {u"Z:\\", 4 /* network */}, {u"A:\\", kDriveRemovable},
                    {u"E:\\", 5 /* CD-ROM */}, {u"1:\\", kDriveFixed}};
    const Names fromSystem = {u"Physical Drive 0", u"Physical Drive 2", u"Physical Drive 63", u"All-In-One", u"A:",
                              u"C:\\ - System"};
    const Names fromCounters = {u"Physical Drive 1", u"All-In-One", u"C:\\ - System"};
    const std::vector<uint8_t> disks = Block({u"1 C:", u"_Total"}, {u"C:", u"_Total"});
    // A query that fails and counters switched off are the disks-without-counters end-to-end test's.
    using H = CounterHealth;
    const std::tuple<const char*, std::vector<uint8_t>, H> cases[] = {
        {"usable", disks, H::usable},
        {"no objects", perfsource::WriteBlock({}, 0), H::broken},
        {"no PhysicalDisk", perfsource::WriteBlock({testing::DiskObject(236, {testing::DiskInstance(u"C:", {})})}, 0),
         H::broken},
        {"no drives' _Total", Block({u"1 C:"}, {u"C:"}), H::broken},
        {"only the volumes' _Total", Block({u"1 C:", u"_Total"}, {u"_Total"}), H::broken},
    };
    for (const auto& [what, block, health] : cases) {
        query.block = block;
        system.tried.clear();
        Build();

        Names found;
        for (const DeviceRecord& device : g_devices) found.push_back(device.name);
        EXPECT_EQ(found, health == H::usable ? fromCounters : fromSystem) << what;
        EXPECT_EQ(DeviceSetCounterHealth(), health) << what;
        const size_t tries = health == H::usable ? 0 : kPhysicalDriveSearchLimit;
        EXPECT_EQ(system.tried.size(), tries) << what << ": a bounded search, past the gaps";
        DestroyIndicators();
    }

    system.roots.clear();
    Serve({}, {});
    Build();
    EXPECT_EQ(g_devices.size(), 4u) << "no letters: the drives and All-In-One";

    ASSERT_EQ(DeviceSetCounterHealth(), CounterHealth::broken);
    query.failure = 5;
    query.offered.clear();
    EXPECT_TRUE(RefreshDeviceSetSnapshot()) << "the driver's lamps are sampled whatever the query does";
    EXPECT_TRUE(query.offered.empty()) << "and no tick reads a snapshot that nothing uses";
    query.failure = 0;
    EXPECT_FALSE(DiskCountersCameBack()) << "still broken";
    Serve({u"0 C:", u"_Total"}, {u"C:", u"_Total"});
    EXPECT_TRUE(DiskCountersCameBack());
    DestroyIndicators();
    Build();
    EXPECT_EQ(DeviceSetCounterHealth(), CounterHealth::usable);
    query.failure = 5;
    EXPECT_FALSE(RefreshDeviceSetSnapshot()) << "the counters' lamps wait for a snapshot";
    query.failure = 0;
    query.offered.clear();
    EXPECT_FALSE(DiskCountersCameBack());
    EXPECT_TRUE(query.offered.empty()) << "working counters cost no check";

    // Switched off: the switch is read again, not taken from the answer kept since the build.
    DestroyIndicators();
    perfDisk.readable = true;
    perfDisk.disableCounters = 1;
    access.ForgetCountersSwitch();
    Build();
    ASSERT_EQ(DeviceSetCounterHealth(), CounterHealth::switchedOff);
    perfDisk.disableCounters = 0;
    EXPECT_TRUE(DiskCountersCameBack());
}

}  // namespace
}  // namespace lumora
