#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "settings/settings_file.h"
#include "unit/settings/fake_settings_files.h"

namespace lumora {
namespace {

using testing::FakeSettingsFiles;
using Record = std::vector<int64_t>;

const std::u16string kPath = u"C:\\L\\Lumora Indicator\\settings.ini";

// The mode, then every stored field in the order of the file.
Record RecordOf(int32_t mode, const CSettings& s) {
    return {mode,     s.StartWithWindows, s.UseKeyboardLed, s.UseKeyboardLedDirectAccess, s.ShowTrayIcon,
            s.UseTrayLed, s.ShowIndicatorLabel, s.Opacity, s.Frequency, s.ColorRead, s.ColorWrite, s.ColorOff,
            s.StatPageRefresh};
}
const Record kInitial{2, 1, 0, 0, 1, 0, 1, 255, 30, 0x00FF00, 0x0000FF, 0x800000, 1};
// What a versioned file without any further key reads as.
const Record kFallback{1, 1, 0, 1, 1, 0, 1, 255, 50, 0x00FF00, 0x0000FF, 0x800000, 1};

Record With(Record record, size_t field, int64_t value) {
    record[field] = value;
    return record;
}

struct RecordingBrushes final : LampBrushes {
    explicit RecordingBrushes(std::vector<Record>& log) : rebuilt(log) {}
    void Rebuild(uint32_t read, uint32_t write, uint32_t off) override { rebuilt.push_back({read, write, off}); }
    std::vector<Record>& rebuilt;
};

struct RecordingPage final : SettingsPageChecks {
    void SetCheck(SettingsCheck controlId, bool checked) override { checks[controlId] = checked; }
    void Enable(SettingsCheck, bool) override {}  // greyed boxes are the Appearance page end-to-end test's
    std::map<int, bool> checks;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    // Opens the file (an empty one is what a first run creates) and loads the record from it.
    Record Load(const std::string& file) {
        files.files[kPath] = file;
        ini = std::make_unique<CIniEx>(4, files, caseMapping);
        ini->Open(kPath, false, true, true);
        settings = std::make_unique<CSettings>();  // as at start-up: a conversion writes the initial values
        SerializeSettings(ini.get(), *settings, mode, true);
        return RecordOf(mode, *settings);
    }

    FakeSettingsFiles files;
    Latin1CaseMapping caseMapping;
    std::unique_ptr<CIniEx> ini;
    std::unique_ptr<CSettings> settings;
    int32_t mode = 0;
};

TEST_F(SettingsStoreTest, VersionedFilesAreReadAsStoredOthersConvertedKeepingTheLampPlacesAndNoFileGivesTheMode) {
    const std::string versioned = "[General]\r\nversion=1.104\r\n";
    const std::string lamp = "[Physical Drive 0]\r\nx=300\r\ny=40\r\n";
    const auto unversioned = [&lamp](const std::string& classLine) {
        return "[General]\r\n" + classLine + "[Appearance]\r\nOpacity=100\r\nFrequency=700\r\nColorOff=1\r\n" + lamp;
    };
    const std::pair<std::string, Record> cases[] = {
        {versioned, kFallback},
        {versioned + "[Appearance]\r\nFrequency=21\r\n", With(kFallback, 8, 21)},
        {versioned + "[Appearance]\r\nFrequency=0\r\n", With(kFallback, 8, 0)},
        {"[general]\r\nClass=256\r\nversion=1.104\r\nStartWithWindows=0\r\nUseKeyboardLed=yes\r\n"
         "UseKeyboardLedDirectAccess=NO\r\nShowTrayIcon=1\r\nUseTrayLed=Yes\r\nShowIndicatorLabel=No\r\n"
         "[APPEARANCE]\r\nOpacity=300\r\nFrequency=20\r\nColorRead=-1\r\nColorWrite=16711935 ; magenta\r\n"
         "ColorOff=0\r\nStatPageRefresh=No\r\n",
         {256, 0, 1, 0, 0, 1, 0, 255, 50, 0xFFFFFFFF, 0xFF00FF, 0, 0}},  // an opacity beyond opaque is opaque
        {versioned + "[Appearance]\r\nOpacity=-1\r\n", With(kFallback, 7, 0)},
        {unversioned("Class=0\r\n"), With(kInitial, 0, 1)},    {unversioned("Class=1\r\n"), With(kInitial, 0, 2)},
        {unversioned("Class=2\r\n"), With(kInitial, 0, 4)},    {unversioned("Class=3\r\n"), With(kInitial, 0, 0)},
        {unversioned("Class=7\r\n"), With(kInitial, 0, 7)},    {unversioned("Class=256\r\n"), With(kInitial, 0, 256)},
        {unversioned(""), kInitial},  // as a first run's empty file
    };
    for (const auto& [file, expected] : cases) {
        const int writesBefore = files.writes;
        EXPECT_EQ(Load(file), expected) << file;
        EXPECT_EQ(files.writes - writesBefore, file.find("version") == std::string::npos ? 1 : 0) << file;
        EXPECT_EQ(files.files[kPath].find(lamp) == std::string::npos, file.find(lamp) == std::string::npos)
            << "a lamp's place survives: " << file;
    }
    // A load, and the Default button, rebuild the brushes; a load sets the page's boxes.
    Load("[General]\r\nversion=1.104\r\nUseKeyboardLed=No\r\nUseKeyboardLedDirectAccess=Yes\r\nUseTrayLed=Yes\r\n"
         "[Appearance]\r\nColorRead=1\r\nColorWrite=2\r\nColorOff=3\r\n");
    std::vector<Record> rebuilt;
    settings->AttachBrushes(std::make_unique<RecordingBrushes>(rebuilt));
    RecordingPage page;
    settings->Load(*ini, &page);
    EXPECT_EQ(page.checks, (std::map<int, bool>{{kCheckUseKeyboardLed, false}, {kCheckUseKeyboardLedDirectAccess, true},
                                                {kCheckShowTrayIcon, true}, {kCheckUseTrayLed, true},
                                                {kCheckShowIndicatorLabel, true}}));

    CSettings& s = *settings;
    s.StartWithWindows = s.UseKeyboardLed = s.ShowTrayIcon = s.StatPageRefresh = s.UseTrayLed = 7;
    s.ShowIndicatorLabel = s.Opacity = s.Frequency = 7;
    s.ApplyDefaultAppearance();
    EXPECT_EQ(RecordOf(0, s), (Record{0, 7, 0, 0, 7, 7, 7, 255, 50, 0x00FF00, 0x0000FF, 0xFF0000, 7}));
    EXPECT_EQ(rebuilt, (std::vector<Record>{{1, 2, 3}, {0x00FF00, 0x0000FF, 0xFF0000}}));
    files.unreadable = true;
    EXPECT_EQ(Load(""), With(kFallback, 0, 2)) << "without a file only the mode is converted";
    EXPECT_FALSE(SerializeSettings(nullptr, *settings, mode, true)) << "no engine, nothing done";
}

struct FakeFolders final : SettingsFolders {
    bool LocalAppData(std::u16string& folder) override { return !(folder = known[0]).empty(); }
    bool Documents(std::u16string& folder) override { return !(folder = known[1]).empty(); }
    std::u16string ModuleFolder() override { return known[2]; }
    bool CreatePath(const std::u16string& path) override {
        created.push_back(path);
        return true;
    }
    std::array<std::u16string, 3> known;  // local application data, documents, the program's folder
    std::vector<std::u16string> created;
};

TEST_F(SettingsStoreTest, TheSettingsFileIsLookedForInThreeFolders) {
    // With the local folder known, first of all, is every settings end-to-end test's.
    const std::pair<std::array<std::u16string, 3>, std::u16string> cases[] = {
        {{u"", u"C:\\Docs", u"C:\\Prog\\"}, u"C:\\Docs\\Lumora Indicator\\settings.ini"},
        {{u"", u"", u"C:\\Prog\\"}, u"C:\\Prog\\settings.ini"},
        {{u"", u"", u""}, u""},
    };
    for (const auto& [known, expectedPath] : cases) {
        FakeFolders folders;
        folders.known = known;
        CIniEx engine(4, files, caseMapping);
        EXPECT_EQ(OpenSettingsFile(engine, folders, u"Lumora Indicator", u"settings.ini", true, true, true),
                  !expectedPath.empty());
        EXPECT_EQ(engine.Path(), expectedPath);
        const std::u16string folder = expectedPath.substr(0, expectedPath.rfind(u'\\') + 1);
        EXPECT_EQ(folders.created, std::vector<std::u16string>((known[0] + known[1]).empty() ? 0 : 1, folder));
    }
    EXPECT_EQ(files.files.size(), 2u) << "no file is created relative to the working directory";
}

}  // namespace
}  // namespace lumora
