#include "settings/ini_engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "unit/settings/fake_settings_files.h"

namespace lumora {
namespace {

using namespace std::string_literals;

const std::u16string kPath = u"C:\\L\\settings.ini";

class IniEngineTest : public ::testing::Test {
protected:
    CIniEx& Open(const std::string& bytes, bool saveOnClose = true) {
        ini.reset();  // its own save must not land on the next file
        files.files[kPath] = bytes;
        ini = std::make_unique<CIniEx>(4, files, caseMapping);
        EXPECT_TRUE(ini->Open(kPath, saveOnClose, true, true));
        return *ini;
    }
    std::string& OnDisk() { return files.files[kPath]; }

    testing::FakeSettingsFiles files;
    Latin1CaseMapping caseMapping;
    std::unique_ptr<CIniEx> ini;
};

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// The text as an editor saves it in UTF-16 with its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST_F(IniEngineTest, LinesAreReadByTheGrammarAndTheTypedGettersFollowTheText) {
    const struct {
        std::string file, expected;
        std::u16string section = u"A", key = u"k";
    } cases[] = {
        {"[A]\r\nk=5\r\n", "5"}, {"[A]\nk = 5\n", "<default>"}, {"[A]\nk = 5\n", " 5", u"A", u"k "},
        {"[A]\n;note\n", "", u"A", u";note"}, {"[A]\r\nk=1\r\nk=2\r\n", "2"}, {"[A]\nk=1\n[A]\nk=2\n", "1"},
        {"[APPEARANCE]\nk=7\n", "7", u"Appearance", u"K"}, {"[A]\nk=5 ; note\n", "5 "},
        {"[A]\nk=a;b;c\n", "a;b"}, {"[A]\nk=v=w\n", "v=w"}, {"[A]\n=5\n", "<default>", u"A", u""},
        {"[A]\n;note=x\n", "x", u"A", u";note"}, {"[ A ]\nk=1\n", "<default>"}, {"[ A ]\nk=1\n", "1", u" A "},
        {"[]\nk=1\n", "1", u""}, {"k=0\n[A]\nk=1\n", "0", u""}, {"[A]\r\n\r\n\n\r\nk=1", "1"},
        {"[A]\nj=1\x1Ak=2\n", "<default>"},
        {"[A]\nk=1\x1A\nj=2\n", "1"}, {"[A]\nk=a\rb\n", "a\rb"}, {"[A]\nk=v\r", "v\r"}, {"[A]\nk=a\0b\n"s, "a\0b"s},
        {"[G\xC9N\xC9RAL]\nk=\xE9t\xE9\n", "\xE9t\xE9", u"g\u00e9n\u00e9ral", u"K"}, {"[A]\n[B]\nk=1\n", "<default>"},
        // After a byte-order mark: decoded, one "?" per character beyond U+00FF or broken sequence.
        {"\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80!\r\n", "caf\xE9 ?\?!"},
        {"\xEF\xBB\xBF[A]\nk=\xC3(\xE2\x82\xFF\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\n", "?(???????????"},
        {"\xEF\xBB\xBF[A]\nj=\xE2\x82\nk=\xC3", "?"}, {"\xFF\xFE", "<default>"}, {Utf16(u"[A]\nk=v", false) + "!", "v"},
        {Utf16(u"[A]\r\nk=\u00e9\u0414\U0001F600\xD800x\r\n", false), "\xE9???x"},
        {Utf16(u"[A]\r\nk=v\r\nj=\xDBFF", true), "v"}, {Utf16(u"[A]\nj=\u011A\nk=1", true), "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(Open(c.file).GetString(c.section, c.key, u"<default>")), c.expected)
            << "file: " << ::testing::PrintToString(c.file);
        EXPECT_FALSE(ini->IsModified());
    }

    const std::tuple<std::string, int32_t, bool> values[] = {  // the stored text, read as a number and as a flag
        {"2147483647", INT_MAX, false},  {"2147483648", INT_MAX, false},  {"-2147483648", INT_MIN, false},
        {"-2147483649", INT_MIN, false}, {"99999999999999999999999", INT_MAX, false},
        {"  +12abc", 12, false},         {"\t-7", -7, false},             {"abc", 0, false},
        {"", 0, false},                  {"Yes;note", 0, true},           {"Yes ", 0, false},
        {"1", 1, false},
    };
    for (const auto& [value, asInt, asBool] : values) {
        Open("[A]\nk=" + value + "\n");
        EXPECT_EQ(ini->GetInt(-5, u"A", u"k"), asInt) << value;
        EXPECT_EQ(ini->GetBool(true, u"A", u"k"), asBool) << value;
    }
}

TEST_F(IniEngineTest, WritingBackKeepsEveryLineItDoesNotOwnAndStoresOnlyWhatReadsBack) {
    const std::string big(3'000'000, 'L');
    const std::u16string cyrillic = u"Logical Disk C: (\u0414\u0438\u0441\u043a)";
    Open(";c\r\n;d=e\r\nk = v\r\n[A]\r\n\r\n[B]\r\nx=1\r\nx=3\r\n[k=1\r\n[b]\r\ny=2\r\n[]\r\nz\n[C]\nlong=" + big);
    for (const char16_t* refused : {u"", u"a=b", u"[k"}) ini->SetString(u"B", refused, u"v]");
    ini->SetString(u"New", u"[k", u"v]");
    EXPECT_FALSE(ini->IsModified()) << "entries that would read back otherwise are refused";
    ini->SetInt(2, u"B", u"x");
    ini->SetInt(-100, cyrillic, u"n");
    ini->SetString(cyrillic, u"label", u"caf\u00e9 \u20ac\nnext\x1A");
    ini->SetString(cyrillic, u"empty", u"");
    ASSERT_TRUE(ini->Save());
    EXPECT_EQ(OnDisk(), ";c=\r\n;d=e\r\nk = v\r\n\r\n[B]\r\nx=1\r\nx=2\r\n[k=1\r\n\r\n[b]\r\ny=2\r\n\r\n[]\r\nz=\r\n"
                        "\r\n[C]\r\nlong=" + big + "\r\n\r\n[Logical Disk C: (\?\?\?\?)]\r\nn=-100\r\n"
                        "label=caf\xE9 \?\?next\?\r\nempty=\r\n");
    Open(OnDisk()).SetInt(11, cyrillic, u"n");
    EXPECT_EQ(ini->GetInt(0, u"logical disk c: (\u0434?\?\?)", u"N"), 11) << "the name finds its own section";
    ASSERT_TRUE(ini->Save());
    EXPECT_EQ(OnDisk().find("n=-100"), std::string::npos) << "the section is updated, not duplicated";

    // A marked file goes back without its mark; a first key that merely looks like one stays a key.
    Open(Utf16(u"\u00ff\u00fek=\u00e9\u0414\r\n[A]\r\nk=1", true)).SetInt(2, u"A", u"k");
    ASSERT_TRUE(ini->Save());
    EXPECT_EQ(OnDisk(), "\r\n\xFF\xFEk=\xE9?\r\n\r\n[A]\r\nk=2\r\n");
    EXPECT_EQ(Open(OnDisk()).GetString(u"", u"\u00ff\u00fek", u""), u"\u00e9?");
}

// Backups, other files' leftovers and letters for digits are settings_check.exe's to keep.
TEST_F(IniEngineTest, OpeningRemovesOnlyLeftoversAndSavesWriteOnlyAfterARealChangeAndNeverWithoutAFile) {
    std::set<std::u16string> kept{kPath};
    for (const char16_t* end : {u".-5.tmp", u".1-.tmp", u".1-2-3.tmp", u"1234-5.tmp", u".1234-5.TMP"}) {
        kept.insert(kPath + end);
    }
    for (const std::u16string& path : kept) files.files[path] = "x";
    files.files[kPath + u".1234-5.tmp"] = files.files[SaveTemporaryPath(kPath, UINT32_MAX, 15)] = "stale";
    Open("[A]\nk=1\n");
    std::set<std::u16string> left;
    for (const auto& file : files.files) left.insert(file.first);
    EXPECT_EQ(left, kept);

    Open("[A]\nk=Yes\n");
    ini->GetInt(0, u"B", u"x");
    ini->SetString(u"A", u"k", u"YES");
    EXPECT_FALSE(ini->IsModified()) << "a value differing only in case is no change";
    EXPECT_TRUE(ini->Save());
    EXPECT_EQ(ini->GetString(u"A", u"k", u""), u"YES") << "the new letter case is still taken";
    Open("[A]\nk=1\n", false).SetInt(3, u"A", u"k");
    Open("[A]\nk=1\n");
    EXPECT_EQ(files.writes, 0) << "neither unchanged models nor engines without saveOnClose write";

    ini->SetInt(2, u"A", u"k");
    files.failWrites = true;
    EXPECT_FALSE(ini->Save());
    EXPECT_EQ(ini->GetInt(0, u"A", u"k"), 2) << "a failed write keeps the change";
    files.failWrites = false;
    EXPECT_TRUE(ini->Save());
    ini.reset();
    EXPECT_EQ(files.writes, 3) << "the mark stays set after a save: the destructor writes again";
    EXPECT_EQ(OnDisk(), "\r\n[A]\r\nk=2\r\n");

    Open("[A]\nk=1\n").SetInt(2, u"A", u"k");
    files.unreadable = true;
    EXPECT_FALSE(ini->Open(kPath, true, true, true));
    ini->SetInt(5, u"A", u"k");
    EXPECT_EQ(ini->GetInt(7, u"A", u"k"), 7) << "nothing of the file opened before is left";
    EXPECT_TRUE(ini->Save());

    files.unreadable = false;
    EXPECT_FALSE(ini->Open(u"C:\\missing.ini", true, false, true)) << "a missing file is only created on request";
    ini.reset();
    EXPECT_EQ(files.writes, 3);
}

}  // namespace
}  // namespace lumora
