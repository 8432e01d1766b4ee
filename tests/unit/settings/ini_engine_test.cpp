#include "settings/ini_engine.h"

#include <gtest/gtest.h>

#include <climits>

#include "unit/settings/fake_settings_files.h"

namespace lumora {
namespace {

using testing::FakeSettingsFiles;
using namespace std::string_literals;

const std::u16string kPath = u"C:\\Users\\u\\AppData\\Local\\Lumora Indicator\\settings.ini";

class IniEngineTest : public ::testing::Test {
protected:
    std::unique_ptr<CIniEx> OpenWith(const std::string& bytes, bool saveOnClose = true) {
        files.files[kPath] = bytes;
        auto ini = std::make_unique<CIniEx>(4, files, caseMapping);
        EXPECT_TRUE(ini->Open(kPath, saveOnClose, true, true));
        return ini;
    }
    const std::string& OnDisk() { return files.files[kPath]; }

    FakeSettingsFiles files;
    Latin1CaseMapping caseMapping;
};

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out.push_back(static_cast<char>(c));
    return out;
}

TEST_F(IniEngineTest, LinesAreReadByTheGrammar) {
    struct Case {
        std::string file;
        std::u16string section;
        std::u16string key;
        std::string expected;
    };
    const Case cases[] = {
        {"[Appearance]\r\nOpacity=50\r\n", u"Appearance", u"Opacity", "50"},
        {"[Appearance]\r\nOpacity = 50\r\n", u"Appearance", u"Opacity", "<default>"},
        {"[Appearance]\r\nOpacity = 50\r\n", u"Appearance", u"Opacity ", " 50"},
        {"[Appearance]\r\nOpacity=50 ; looks best\r\n", u"Appearance", u"Opacity", "50 "},
        {"[A]\nk=a;b;c\n", u"A", u"k", "a;b"},
        {"[A]\nk=v=w\n", u"A", u"k", "v=w"},
        {"[A]\n;note\n", u"A", u";note", ""},
        {"[A]\n;note=x\n", u"A", u";note", "x"},
        {"[A]\n=5\n", u"A", u"", "<default>"},
        {"[A]\r\nk=1\r\nk=2\r\n", u"A", u"k", "2"},
        {"[A]\nk=1\n[A]\nk=2\n", u"A", u"k", "1"},
        {"[APPEARANCE]\nOpacity=7\n", u"Appearance", u"opacity", "7"},
        {"[ A ]\nk=1\n", u"A", u"k", "<default>"},
        {"[ A ]\nk=1\n", u" A ", u"k", "1"},
        {"[]\nk=1\n", u"", u"k", "1"},
        {"k=0\n[A]\nk=1\n", u"", u"k", "0"},
        {"[A]\r\n\r\n\n\r\nk=1", u"A", u"k", "1"},
        {"[A]\nk=1\x1Aj=2\n", u"A", u"j", "<default>"},
        {"[A]\nk=1\x1A\nj=2\n", u"A", u"k", "1"},
        {"[A]\nk=a\rb\n", u"A", u"k", "a\rb"},
        {"[A]\nk=v\r", u"A", u"k", "v\r"},
        {"[A]\nk=a\0b\n"s, u"A", u"k", "a\0b"s},
        {"[G\xC9N\xC9RAL]\nk=\xE9t\xE9\n", u"g\u00e9n\u00e9ral", u"K", "\xE9t\xE9"},
        {"[A]\n[B]\nk=1\n", u"A", u"k", "<default>"},
    };
    for (const Case& c : cases) {
        auto ini = OpenWith(c.file);
        EXPECT_EQ(Narrow(ini->GetString(c.section, c.key, u"<default>")), c.expected)
            << "file: " << ::testing::PrintToString(c.file);
        EXPECT_FALSE(ini->IsModified());
    }
}

TEST_F(IniEngineTest, TypedGettersFollowTheStoredText) {
    struct Case {
        std::string value;
        int32_t asInt;
        bool asBool;
    };
    const Case cases[] = {
        {"-100", -100, false},          {"2147483647", INT_MAX, false},   {"2147483648", INT_MAX, false},
        {"-2147483648", INT_MIN, false}, {"-2147483649", INT_MIN, false}, {"99999999999999999999999", INT_MAX, false},
        {"  +12abc", 12, false},         {"\t-7", -7, false},             {"abc", 0, false},
        {"", 0, false},                  {"50;note", 50, false},          {"Yes", 0, true},
        {"yES", 0, true},                {"Yes;note", 0, true},           {"Yes ", 0, false},
        {"1", 1, false},                 {"No", 0, false},
    };
    for (const Case& c : cases) {
        auto ini = OpenWith("[A]\nk=" + c.value + "\n");
        EXPECT_EQ(ini->GetInt(-5, u"A", u"k"), c.asInt) << c.value;
        EXPECT_EQ(ini->GetBool(true, u"A", u"k"), c.asBool) << c.value;
        EXPECT_EQ(ini->GetBool(false, u"A", u"k"), c.asBool) << c.value;
    }
    auto ini = OpenWith("[A]\nk=1\n");
    EXPECT_EQ(ini->GetInt(-5, u"A", u"missing"), -5);
    EXPECT_EQ(ini->GetInt(-5, u"Missing", u"k"), -5);
    EXPECT_TRUE(ini->GetBool(true, u"A", u"missing"));
    EXPECT_FALSE(ini->GetBool(false, u"A", u"missing"));
}

TEST_F(IniEngineTest, WritingBackKeepsEveryLineItDoesNotOwn) {
    auto ini = OpenWith(";c\r\n;d=e\r\nk = v\r\n[A]\r\n[B]\r\nx=1\r\nx=3\r\n[b]\r\ny=2\r\n[]\r\nz\n[C]\nlong=" +
                        std::string(3'000'000, 'L') + "\n");
    ini->SetInt(2, u"B", u"x");
    ini->SetInt(-100, u"New", u"n");
    ASSERT_TRUE(ini->Save());
    EXPECT_EQ(OnDisk(), ";c=\r\n;d=e\r\nk = v\r\n\r\n[B]\r\nx=1\r\nx=2\r\n\r\n[b]\r\ny=2\r\n\r\n[]\r\nz=\r\n\r\n[C]\r\nlong=" +
                            std::string(3'000'000, 'L') + "\r\n\r\n[New]\r\nn=-100\r\n");
    auto again = OpenWith(OnDisk());
    EXPECT_EQ(again->GetInt(0, u"New", u"n"), -100);
    EXPECT_EQ(again->GetString(u"C", u"long", u"").size(), 3'000'000u);
}

TEST_F(IniEngineTest, AFreshModelIsWrittenInTheSettingsLayout) {
    auto ini = OpenWith("");
    ini->SetInt(2, u"General", u"Class");
    ini->SetString(u"General", u"version", u"1.104");
    ini->SetBool(true, u"Appearance", u"StatPageRefresh");
    ini->SetBool(false, u"general", u"UseTrayLed");
    ini->SetString(u"General", u"Empty", u"");
    ASSERT_TRUE(ini->Save());
    EXPECT_EQ(OnDisk(),
              "\r\n[General]\r\nClass=2\r\nversion=1.104\r\nUseTrayLed=No\r\nEmpty=\r\n"
              "\r\n[Appearance]\r\nStatPageRefresh=Yes\r\n");
}

TEST_F(IniEngineTest, OnlyRealChangesMarkTheModelAndSavesFollowTheMark) {
    auto ini = OpenWith("[A]\nk=Yes\n");
    ini->GetString(u"A", u"k", u"");
    ini->GetInt(0, u"B", u"x");
    ini->SetString(u"A", u"k", u"YES");
    EXPECT_FALSE(ini->IsModified()) << "a value differing only in case is no change";
    EXPECT_TRUE(ini->Save());
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(ini->GetString(u"A", u"k", u""), u"YES") << "the new letter case is still taken";

    ini->SetString(u"A", u"k", u"No");
    EXPECT_TRUE(ini->IsModified());
    ini->Save();
    ini->Save();
    EXPECT_EQ(files.writes, 2) << "the mark stays set after a save";
}

TEST_F(IniEngineTest, TheDestructorSavesOnlyWhenAskedAndOnlyChanges) {
    OpenWith("[A]\nk=1\n").reset();
    EXPECT_EQ(files.writes, 0);
    {
        auto ini = OpenWith("[A]\nk=1\n");
        ini->SetInt(2, u"A", u"k");
    }
    EXPECT_EQ(OnDisk(), "\r\n[A]\r\nk=2\r\n");
    {
        auto ini = OpenWith("[A]\nk=1\n", false);
        ini->SetInt(3, u"A", u"k");
    }
    EXPECT_EQ(OnDisk(), "[A]\nk=1\n");
}

TEST_F(IniEngineTest, WithoutAFileGettersGiveDefaultsAndNothingIsWritten) {
    files.unreadable = true;
    CIniEx ini(4, files, caseMapping);
    EXPECT_FALSE(ini.Open(kPath, true, true, true));
    EXPECT_FALSE(ini.IsOpen());
    ini.SetInt(5, u"A", u"k");
    EXPECT_EQ(ini.GetInt(7, u"A", u"k"), 7);
    EXPECT_FALSE(ini.IsModified());
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(files.writes, 0);

    files.unreadable = false;
    EXPECT_FALSE(ini.Open(u"C:\\missing.ini", true, false, true)) << "a missing file is only created on request";
    EXPECT_TRUE(ini.Open(u"C:\\missing.ini", true, true, true));
    EXPECT_EQ(files.files.count(u"C:\\missing.ini"), 1u);
}

TEST_F(IniEngineTest, AFailedWriteLeavesFileAndModelAsTheyWere) {
    auto ini = OpenWith("[A]\nk=1\n");
    ini->SetInt(2, u"A", u"k");
    files.failWrites = true;
    EXPECT_FALSE(ini->Save());
    EXPECT_EQ(OnDisk(), "[A]\nk=1\n");
    EXPECT_EQ(ini->GetInt(0, u"A", u"k"), 2);
    files.failWrites = false;
    EXPECT_TRUE(ini->Save()) << "the next save point writes the file";
    EXPECT_EQ(OnDisk(), "\r\n[A]\r\nk=2\r\n");
}

TEST_F(IniEngineTest, TextBeyondLatin1IsHeldAsTheFileHoldsIt) {
    auto ini = OpenWith("");
    const std::u16string cyrillic = u"Logical Disk C: (\u0414\u0438\u0441\u043a)";
    const std::u16string japanese = u"D: \u30c7\u30fc\u30bf";
    ini->SetInt(10, cyrillic, u"x");
    ini->SetInt(20, japanese, u"x");
    ini->SetString(u"A", u"label", u"caf\u00e9 \u20ac\nnext\x1A");
    EXPECT_EQ(ini->GetInt(0, cyrillic, u"x"), 10);
    ASSERT_TRUE(ini->Save());
    EXPECT_EQ(OnDisk(), "\r\n[Logical Disk C: (\?\?\?\?)]\r\nx=10\r\n\r\n[D: \?\?\?]\r\nx=20\r\n"
                        "\r\n[A]\r\nlabel=caf\xE9 \?\?next\?\r\n");

    auto restarted = OpenWith(OnDisk());
    EXPECT_EQ(restarted->GetInt(0, cyrillic, u"x"), 10) << "the name finds its own section after a restart";
    EXPECT_EQ(restarted->GetInt(0, japanese, u"x"), 20);
    restarted->SetInt(11, cyrillic, u"x");
    restarted->Save();
    EXPECT_EQ(OnDisk().find("x=10"), std::string::npos) << "the section is updated, not duplicated";
}

TEST_F(IniEngineTest, EntriesTheFileCannotHoldAreRefused) {
    auto ini = OpenWith("[A]\n[k=1\n");
    ini->SetString(u"A", u"", u"1");
    ini->SetString(u"A", u"a=b", u"1");
    ini->SetString(u"A", u"[k", u"v]");
    ini->SetString(u"B", u"[k", u"v]");
    EXPECT_FALSE(ini->IsModified());
    EXPECT_EQ(ini->GetString(u"A", u"[k", u""), u"1");
    EXPECT_EQ(ini->GetString(u"B", u"[k", u"none"), u"none");
}

TEST_F(IniEngineTest, WithIgnoreCaseOffNamesMustMatchExactly) {
    files.files[kPath] = "[appearance]\nOpacity=7\n";
    CIniEx ini(4, files, caseMapping);
    ASSERT_TRUE(ini.Open(kPath, false, false, false));
    EXPECT_EQ(ini.GetInt(0, u"Appearance", u"Opacity"), 0);
    EXPECT_EQ(ini.GetInt(0, u"appearance", u"Opacity"), 7);
    ini.SetString(u"appearance", u"Opacity", u"7");
    ini.SetString(u"appearance", u"opacity", u"8");
    EXPECT_TRUE(ini.IsModified());
}

TEST_F(IniEngineTest, ClearForgetsTheFile) {
    auto ini = OpenWith("[A]\nk=1\n");
    ini->SetInt(2, u"A", u"k");
    ini->Clear();
    EXPECT_FALSE(ini->IsOpen());
    EXPECT_FALSE(ini->IsModified());
    EXPECT_EQ(ini->GetInt(0, u"A", u"k"), 0);
    EXPECT_TRUE(ini->Sections().empty());
}

}  // namespace
}  // namespace lumora
