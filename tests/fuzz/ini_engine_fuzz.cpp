// Arbitrary bytes as settings.ini (marked as UTF-8 or UTF-16 or not), then the program's own
// load, a fixed series of getters and setters, and a save. The saved text must read back into an
// equal model and save to the same bytes again; nothing may crash or hang.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_engine.h"
#include "settings/settings_store.h"
#include "support/utf16_text.h"
#include "unit/settings/fake_settings_files.h"

namespace {

using namespace lumora;

// The named sections with their entries, each text with its length in front.
std::u16string Fingerprint(const std::vector<IniSection>& sections) {
    std::u16string print;
    const auto add = [&print](const std::u16string& text) { print += DecimalText(text.size()) + u':' + text; };
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!sections[i].named) continue;
        print += i == 0 ? u"headerless" : u"section";
        add(sections[i].name);
        for (const IniEntry& entry : sections[i].entries) {
            add(entry.key);
            add(entry.value);
        }
    }
    return print;
}

const std::u16string kPath = u"C:\\settings.ini";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing::FakeSettingsFiles files;
    files.files[kPath] = std::string(reinterpret_cast<const char*>(data), size);
    Latin1CaseMapping lower;
    std::string saved;
    {
        CIniEx ini(4, files, lower);
        if (!ini.Open(kPath, true, true, true)) std::abort();
        CSettings settings;
        int32_t mode = 0;
        SerializeSettings(&ini, settings, mode, true);

        // Values and names taken from the file itself go back in under other names.
        const auto& sections = ini.Sections();
        const auto first = std::find_if(sections.begin(), sections.end(), [](const IniSection& section) {
            return section.named && !section.entries.empty();
        });
        const std::u16string name = first == sections.end() ? u"" : first->name;
        const std::u16string key = first == sections.end() ? u"" : first->entries.front().key;
        const std::u16string value = ini.GetString(name, key, u"");
        ini.GetInt(0, name, key);
        ini.SetString(name, u"copied", value);
        ini.SetString(name, key, value + u";note");
        ini.SetString(u"Logical Disk \u0414 " + value, u"x", key);
        ini.SetInt(ini.GetInt(-1, u"Physical Drive 0", u"y") + 1, u"Physical Drive 0", u"y");
        ini.SetBool(!ini.GetBool(true, u"Physical Drive 0", u"visible"), u"Physical Drive 0", u"visible");
        settings.Frequency = ini.GetInt(20, u"Appearance", u"Frequency");
        SerializeSettings(&ini, settings, mode, false);
        if (!ini.Save()) std::abort();
        saved = files.files[kPath];

        CIniEx reread(4, files, lower);
        if (!reread.Open(kPath, false, false, true) || Fingerprint(reread.Sections()) != Fingerprint(ini.Sections()) ||
            reread.GetString(name, u"copied", u"<none>") != ini.GetString(name, u"copied", u"<none>")) {
            std::abort();
        }
    }
    // The destructor saved the same model again: the file must not have changed.
    if (files.files[kPath] != saved) std::abort();
    return 0;
}
