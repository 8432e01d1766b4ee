#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <map>

#include "settings/run_command.h"
#include "settings/settings_file.h"
#include "unit/settings/fake_settings_files.h"

namespace lumora {
namespace {

using testing::FakeSettingsFiles;

const std::u16string kPath = u"C:\\L\\Lumora Indicator\\settings.ini";

const char kFirstRunFile[] =
    "\r\n[General]\r\nClass=2\r\nversion=1.104\r\nStartWithWindows=1\r\nUseKeyboardLed=No\r\n"
    "UseKeyboardLedDirectAccess=No\r\nShowTrayIcon=Yes\r\nUseTrayLed=No\r\nShowIndicatorLabel=Yes\r\n"
    "\r\n[Appearance]\r\nOpacity=255\r\nFrequency=30\r\nColorRead=65280\r\nColorWrite=255\r\n"
    "ColorOff=8388608\r\nStatPageRefresh=Yes\r\n";

class RecordingBrushes final : public LampBrushes {
public:
    explicit RecordingBrushes(std::vector<std::array<uint32_t, 3>>& log) : m_log(log) {}
    void Rebuild(uint32_t read, uint32_t write, uint32_t off) override { m_log.push_back({read, write, off}); }

private:
    std::vector<std::array<uint32_t, 3>>& m_log;
};

class RecordingPage final : public SettingsPageChecks {
public:
    void SetCheck(int controlId, bool checked) override { checks[controlId] = checked; }
    void Enable(int controlId, bool enabled) override { enabled_[controlId] = enabled; }
    std::map<int, bool> checks;
    std::map<int, bool> enabled_;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    CIniEx& Open(const char* file) {
        ini.reset();  // its last save must not land on the next file
        if (file) files.files[kPath] = file;
        ini = std::make_unique<CIniEx>(4, files, caseMapping);
        ini->Open(kPath, true, true, true);
        return *ini;
    }
    bool Load() { return SerializeSettings(ini.get(), settings, mode, true); }
    std::string OnDisk() { return files.files[kPath]; }

    FakeSettingsFiles files;
    Latin1CaseMapping caseMapping;
    std::unique_ptr<CIniEx> ini;
    CSettings settings;
    int32_t mode = 0;
};

TEST_F(SettingsStoreTest, AFirstRunWritesTheInitialValuesAndRunsOnLogicalDisks) {
    Open(nullptr);
    ASSERT_TRUE(Load());
    EXPECT_EQ(OnDisk(), kFirstRunFile);
    EXPECT_EQ(mode, kIndicationLogical);
    EXPECT_EQ(settings.Frequency, 30);
    EXPECT_EQ(settings.UseKeyboardLedDirectAccess, 0);
    EXPECT_EQ(files.writes, 1);

    ASSERT_TRUE(SerializeSettings(ini.get(), settings, mode, false));
    EXPECT_EQ(files.writes, 2) << "from the first change on every save point writes";
    EXPECT_EQ(OnDisk(), kFirstRunFile);
}

TEST_F(SettingsStoreTest, MissingKeysOfAVersionedFileTakeTheirFallbacks) {
    Open("[General]\r\nversion=1.104\r\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(mode, kIndicationPhysical);
    EXPECT_EQ(settings.Frequency, 50);
    EXPECT_EQ(settings.UseKeyboardLedDirectAccess, 1);
    EXPECT_EQ(settings.Opacity, 255);
    EXPECT_EQ(settings.ColorOff, 0x800000u);
    EXPECT_EQ(settings.StartWithWindows, 1);
    EXPECT_EQ(settings.ShowTrayIcon, 1);
    EXPECT_EQ(settings.UseTrayLed, 0);
    EXPECT_EQ(files.writes, 0) << "reading alone never writes";
}

TEST_F(SettingsStoreTest, FilesWithoutAVersionMarkAreConverted) {
    struct Case {
        const char* storedClass;
        int32_t mode;
    };
    const Case cases[] = {{"0", 1}, {"1", 2}, {"2", 4}, {"3", 0}, {"7", 7}, {"256", 256}, {nullptr, 2}};
    for (const Case& c : cases) {
        std::string file = "[General]\r\n";
        if (c.storedClass) file += std::string("Class=") + c.storedClass + "\r\n";
        file += "[Appearance]\r\nOpacity=100\r\nFrequency=700\r\nColorOff=1\r\n[Physical Drive 0]\r\nx=300\r\ny=40\r\n";
        Open(file.c_str());
        ASSERT_TRUE(Load());
        EXPECT_EQ(mode, c.mode) << (c.storedClass ? c.storedClass : "no Class");
        EXPECT_EQ(settings.Opacity, 255);
        EXPECT_EQ(settings.Frequency, 30);
        EXPECT_EQ(settings.ColorOff, 0x800000u);
        EXPECT_EQ(ini->GetString(u"General", u"version", u""), u"1.104");
        EXPECT_EQ(ini->GetInt(0, u"Physical Drive 0", u"x"), 300);
        EXPECT_NE(OnDisk().find("[Physical Drive 0]\r\nx=300\r\ny=40\r\n"), std::string::npos);
    }
}

TEST_F(SettingsStoreTest, AVersionedFileIsReadAsStored) {
    Open("[general]\r\nClass=256\r\nversion=1.104\r\nStartWithWindows=0\r\nUseKeyboardLed=yes\r\n"
         "UseKeyboardLedDirectAccess=NO\r\nShowTrayIcon=1\r\nUseTrayLed=Yes\r\nShowIndicatorLabel=No\r\n"
         "[APPEARANCE]\r\nOpacity=300\r\nFrequency=20\r\nColorRead=-1\r\nColorWrite=16711935 ; magenta\r\n"
         "ColorOff=0\r\nStatPageRefresh=No\r\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(mode, 256);
    EXPECT_EQ(settings.StartWithWindows, 0);
    EXPECT_EQ(settings.UseKeyboardLed, 1);
    EXPECT_EQ(settings.UseKeyboardLedDirectAccess, 0);
    EXPECT_EQ(settings.ShowTrayIcon, 0) << "a stored 1 is not Yes";
    EXPECT_EQ(settings.UseTrayLed, 1);
    EXPECT_EQ(settings.ShowIndicatorLabel, 0);
    EXPECT_EQ(settings.Opacity, 300) << "values are used as stored";
    EXPECT_EQ(settings.Frequency, 50) << "a stored 20 is read as 50";
    EXPECT_EQ(settings.ColorRead, 0xFFFFFFFFu);
    EXPECT_EQ(settings.ColorWrite, 0xFF00FFu);
    EXPECT_EQ(settings.StatPageRefresh, 0);
    EXPECT_EQ(files.writes, 0);

    for (const char* stored : {"21", "0"}) {
        Open((std::string("[General]\r\nversion=1.104\r\n[Appearance]\r\nFrequency=") + stored + "\r\n").c_str());
        Load();
        EXPECT_EQ(settings.Frequency, std::stoi(stored));
    }
}

TEST_F(SettingsStoreTest, WithoutAFileEverythingTakesItsFallbackAndNothingIsWritten) {
    files.unreadable = true;
    Open(nullptr);
    ASSERT_TRUE(Load());
    EXPECT_EQ(mode, kIndicationLogical);
    EXPECT_EQ(settings.Frequency, 50);
    EXPECT_EQ(settings.UseKeyboardLedDirectAccess, 1);
    EXPECT_EQ(files.writes, 0);
    EXPECT_FALSE(SerializeSettings(nullptr, settings, mode, true)) << "no engine, nothing done";
}

TEST_F(SettingsStoreTest, LoadRebuildsTheBrushesAndSetsThePageChecks) {
    std::vector<std::array<uint32_t, 3>> rebuilt;
    settings.AttachBrushes(std::make_unique<RecordingBrushes>(rebuilt));
    Open("[General]\r\nversion=1.104\r\nUseKeyboardLed=No\r\nUseKeyboardLedDirectAccess=Yes\r\nUseTrayLed=Yes\r\n"
         "[Appearance]\r\nColorRead=1\r\nColorWrite=2\r\nColorOff=3\r\n");
    Load();
    ASSERT_EQ(rebuilt.size(), 1u);
    EXPECT_EQ(rebuilt[0], (std::array<uint32_t, 3>{1, 2, 3}));

    RecordingPage page;
    settings.Load(*ini, &page);
    EXPECT_EQ(page.checks, (std::map<int, bool>{{kCheckUseKeyboardLed, false},
                                                {kCheckUseKeyboardLedDirectAccess, true},
                                                {kCheckShowTrayIcon, true},
                                                {kCheckUseTrayLed, true},
                                                {kCheckShowIndicatorLabel, true}}));
    EXPECT_EQ(page.enabled_, (std::map<int, bool>{{kCheckUseKeyboardLedDirectAccess, false}}));
}

TEST_F(SettingsStoreTest, DefaultAppearanceResetsOnlyItsOwnValues) {
    std::vector<std::array<uint32_t, 3>> rebuilt;
    settings.AttachBrushes(std::make_unique<RecordingBrushes>(rebuilt));
    settings.Opacity = 10;
    settings.Frequency = 700;
    settings.ColorRead = settings.ColorWrite = settings.ColorOff = 7;
    settings.UseKeyboardLed = settings.UseKeyboardLedDirectAccess = 1;
    settings.StartWithWindows = 0;
    settings.ShowTrayIcon = 0;
    settings.UseTrayLed = 1;
    settings.ShowIndicatorLabel = 0;
    settings.StatPageRefresh = 0;
    settings.ApplyDefaultAppearance();
    EXPECT_EQ(settings.ColorRead, 0x00FF00u);
    EXPECT_EQ(settings.ColorWrite, 0x0000FFu);
    EXPECT_EQ(settings.ColorOff, 0xFF0000u);
    EXPECT_EQ(settings.Opacity, 255);
    EXPECT_EQ(settings.Frequency, 50);
    EXPECT_EQ(settings.UseKeyboardLed, 0);
    EXPECT_EQ(settings.UseKeyboardLedDirectAccess, 0);
    EXPECT_EQ(settings.StartWithWindows + settings.ShowTrayIcon + settings.ShowIndicatorLabel, 0);
    EXPECT_EQ(settings.UseTrayLed, 1);
    EXPECT_EQ(settings.StatPageRefresh, 0);
    ASSERT_EQ(rebuilt.size(), 1u);
    EXPECT_EQ(rebuilt[0], (std::array<uint32_t, 3>{0x00FF00, 0x0000FF, 0xFF0000}));
}

class FakeFolders final : public SettingsFolders {
public:
    bool LocalAppData(std::u16string& folder) override { return Answer(localAppData, folder); }
    bool Documents(std::u16string& folder) override { return Answer(documents, folder); }
    std::u16string ModuleFolder() override { return moduleFolder; }
    bool CreatePath(const std::u16string& path) override {
        created.push_back(path);
        return true;
    }
    static bool Answer(const std::u16string& known, std::u16string& folder) {
        folder = known;
        return !known.empty();
    }
    std::u16string localAppData, documents, moduleFolder;
    std::vector<std::u16string> created;
};

TEST_F(SettingsStoreTest, TheSettingsFileIsLookedForInThreeFolders) {
    struct Case {
        std::u16string localAppData, documents, moduleFolder;
        std::u16string expectedPath;
        bool createsFolder;
    };
    const Case cases[] = {
        {u"C:\\Local", u"C:\\Docs", u"C:\\Prog\\", u"C:\\Local\\Lumora Indicator\\settings.ini", true},
        {u"C:\\", u"C:\\Docs", u"C:\\Prog\\", u"C:\\Lumora Indicator\\settings.ini", true},
        {u"", u"C:\\Docs", u"C:\\Prog\\", u"C:\\Docs\\Lumora Indicator\\settings.ini", true},
        {u"", u"", u"C:\\Prog\\", u"C:\\Prog\\settings.ini", false},
    };
    for (const Case& c : cases) {
        FakeFolders folders;
        folders.localAppData = c.localAppData;
        folders.documents = c.documents;
        folders.moduleFolder = c.moduleFolder;
        FakeSettingsFiles paths;
        CIniEx engine(4, paths, caseMapping);
        EXPECT_TRUE(OpenSettingsFile(engine, folders, u"Lumora Indicator", u"settings.ini", true, true, true));
        EXPECT_EQ(engine.Path(), c.expectedPath);
        EXPECT_EQ(folders.created.size(), c.createsFolder ? 1u : 0u);
    }
    FakeFolders nowhere;
    CIniEx engine(4, files, caseMapping);
    EXPECT_FALSE(OpenSettingsFile(engine, nowhere, u"Lumora Indicator", u"settings.ini", true, true, true));
    EXPECT_TRUE(files.files.empty()) << "no file is created relative to the working directory";
}

TEST(RunCommand, QuotesThePathOfTheRunningExecutable) {
    EXPECT_EQ(BuildRunCommand(u"C:\\Program Files\\Lumora\\", u"lumora.exe"),
              u"\"C:\\Program Files\\Lumora\\lumora.exe\" s");
    EXPECT_EQ(BuildRunCommand(u"D:\\tools", u"disk lamp.exe"), u"\"D:\\tools\\disk lamp.exe\" s");
    EXPECT_EQ(RunValueData(1, u"C:\\x\\", u"lumora.exe"), u"\"C:\\x\\lumora.exe\" s");
    EXPECT_EQ(RunValueData(0, u"C:\\x\\", u"lumora.exe"), u"");
}

}  // namespace
}  // namespace lumora
