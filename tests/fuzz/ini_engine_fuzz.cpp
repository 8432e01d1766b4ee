// Arbitrary bytes as settings.ini, then the program's own load, a fixed series of getters and
// setters, and a save. The saved text must read back into an equal model and save to the same
// bytes again; nothing may crash or hang.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/ini_engine.h"
#include "settings/settings_store.h"
#include "unit/settings/fake_settings_files.h"

namespace {

using namespace lumora;

using MemoryFiles = testing::FakeSettingsFiles;

struct ComparableSection {
    bool headerless;
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> entries;
    bool operator==(const ComparableSection& other) const {
        return headerless == other.headerless && name == other.name && entries == other.entries;
    }
};

std::vector<ComparableSection> Comparable(const std::vector<IniSection>& sections) {
    std::vector<ComparableSection> result;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!sections[i].named) continue;
        ComparableSection section{i == 0, sections[i].name, {}};
        for (const IniEntry& entry : sections[i].entries) section.entries.emplace_back(entry.key, entry.value);
        result.push_back(std::move(section));
    }
    return result;
}

const std::u16string kPath = u"C:\\settings.ini";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFiles files;
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
        std::u16string firstName;
        std::u16string firstKey;
        std::u16string firstValue;
        for (const IniSection& section : ini.Sections()) {
            if (section.named && !section.entries.empty()) {
                firstName = section.name;
                firstKey = section.entries.front().key;
                firstValue = ini.GetString(section.name, firstKey, u"");
                break;
            }
        }
        ini.GetInt(0, firstName, firstKey);
        ini.GetBool(true, firstName, firstKey);
        ini.SetString(firstName, u"copied", firstValue);
        ini.SetString(firstName, firstKey, firstValue + u";note");
        ini.SetString(u"Logical Disk \u0414 " + firstValue, u"x", firstKey);
        ini.SetInt(ini.GetInt(-1, u"Physical Drive 0", u"y") + 1, u"Physical Drive 0", u"y");
        ini.SetBool(!ini.GetBool(true, u"Physical Drive 0", u"visible"), u"Physical Drive 0", u"visible");
        settings.Frequency = ini.GetInt(20, u"Appearance", u"Frequency");
        SerializeSettings(&ini, settings, mode, false);
        if (!ini.Save()) std::abort();
        saved = files.files[kPath];

        CIniEx reread(4, files, lower);
        if (!reread.Open(kPath, false, false, true)) std::abort();
        if (!(Comparable(reread.Sections()) == Comparable(ini.Sections()))) std::abort();
        if (reread.GetString(firstName, u"copied", u"<none>") != ini.GetString(firstName, u"copied", u"<none>")) {
            std::abort();
        }
    }
    // The destructor saved the same model again: the file must not have changed.
    if (files.files[kPath] != saved) std::abort();
    return 0;
}
