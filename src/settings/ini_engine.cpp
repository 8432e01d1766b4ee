#include "settings/ini_engine.h"

#include <limits>

#include "support/utf16_text.h"

namespace lumora {

std::unique_ptr<CIniEx> g_ini;

namespace {

constexpr char16_t kYes[] = u"Yes";
constexpr char16_t kNo[] = u"No";

bool IsCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

bool EqualsYesIgnoringCase(std::u16string_view text) {
    if (text.size() != 3) return false;
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c; };
    return lower(text[0]) == u'y' && lower(text[1]) == u'e' && lower(text[2]) == u's';
}

}  // namespace

int32_t ParseInt32(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // Accumulated towards the limit so that no digit count can overflow.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    if (negative) return static_cast<int32_t>(-magnitude);
    return magnitude >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

std::u16string FormatInt32(int32_t value) { return SignedDecimalText(value); }

CIniEx::CIniEx(int growthStep, SettingsFileAccess& files, const CaseMapping& caseMapping)
    : m_files(files), m_caseMapping(caseMapping) {
    if (growthStep > 0) m_sections.reserve(static_cast<size_t>(growthStep));
}

CIniEx::~CIniEx() {
    if (m_saveOnClose) Save();
    Clear();
}

bool CIniEx::Open(std::u16string_view path, bool saveOnClose, bool createIfMissing, bool ignoreCase) {
    Clear();
    m_saveOnClose = saveOnClose;
    m_ignoreCase = ignoreCase;
    std::string bytes;
    const std::u16string fullPath(path);
    if (fullPath.empty() || !m_files.ReadWhole(fullPath, createIfMissing, bytes)) return false;
    // Saves killed half-way leave their temporaries; nothing else would ever remove them.
    m_files.RemoveSaveTemporaries(fullPath);
    m_sections = ParseIniText(bytes);
    m_path = fullPath;
    return true;
}

void CIniEx::Clear() {
    m_sections.clear();
    m_path.clear();
    m_modified = false;
}

bool CIniEx::NamesEqual(std::u16string_view storedName, std::u16string_view query) const {
    if (!m_ignoreCase) return storedName == query;
    if (storedName.size() != query.size()) return false;
    std::u16string a(storedName);
    std::u16string b(query);
    m_caseMapping.Lower(a);
    m_caseMapping.Lower(b);
    return a == b;
}

const IniSection* CIniEx::FindSection(std::u16string_view storedQuery) const {
    for (const IniSection& section : m_sections) {
        if (section.named && NamesEqual(section.name, storedQuery)) return &section;
    }
    return nullptr;
}

IniSection* CIniEx::FindSection(std::u16string_view storedQuery) {
    return const_cast<IniSection*>(static_cast<const CIniEx*>(this)->FindSection(storedQuery));
}

const IniEntry* CIniEx::FindEntry(const IniSection& section, std::u16string_view storedQuery, const CIniEx& engine) {
    for (auto entry = section.entries.rbegin(); entry != section.entries.rend(); ++entry) {
        if (engine.NamesEqual(entry->key, storedQuery)) return &*entry;
    }
    return nullptr;
}

const std::u16string* CIniEx::FindValue(std::u16string_view section, std::u16string_view key) const {
    const IniSection* found = FindSection(ToStoredForm(section));
    if (!found) return nullptr;
    const IniEntry* entry = FindEntry(*found, ToStoredForm(key), *this);
    return entry ? &entry->value : nullptr;
}

std::u16string CIniEx::GetString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultText) const {
    const std::u16string* value = FindValue(section, key);
    if (!value) return std::u16string(defaultText);
    const size_t note = value->rfind(u';');
    return note == std::u16string::npos ? *value : value->substr(0, note);
}

int32_t CIniEx::GetInt(int32_t defaultValue, std::u16string_view section, std::u16string_view key) const {
    if (!FindValue(section, key)) return defaultValue;
    return ParseInt32(GetString(section, key, u""));
}

bool CIniEx::GetBool(bool defaultValue, std::u16string_view section, std::u16string_view key) const {
    return EqualsYesIgnoringCase(GetString(section, key, defaultValue ? kYes : kNo));
}

void CIniEx::SetString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (!IsOpen()) return;
    const std::u16string storedSection = ToStoredForm(section);
    std::u16string storedKey = ToStoredForm(key);
    std::u16string storedValue = ToStoredForm(value);

    IniSection* target = FindSection(storedSection);
    if (!target) {
        // A section is only worth creating when its first entry can be written back.
        if (!IsStorableEntry(storedKey, storedValue)) return;
        IniSection created;
        created.name = storedSection;
        created.named = true;
        m_sections.push_back(std::move(created));
        target = &m_sections.back();
        m_modified = true;
    }
    IniEntry* entry = const_cast<IniEntry*>(FindEntry(*target, storedKey, *this));
    if (!entry) {
        if (!IsStorableEntry(storedKey, storedValue)) return;
        target->entries.push_back({std::move(storedKey), std::move(storedValue)});
        m_modified = true;
        return;
    }
    if (!IsStorableEntry(entry->key, storedValue)) return;
    if (!NamesEqual(entry->value, storedValue)) m_modified = true;
    entry->value = std::move(storedValue);
}

void CIniEx::SetInt(int32_t value, std::u16string_view section, std::u16string_view key) {
    SetString(section, key, FormatInt32(value));
}

void CIniEx::SetBool(bool value, std::u16string_view section, std::u16string_view key) {
    SetString(section, key, value ? kYes : kNo);
}

bool CIniEx::Save() {
    if (!m_modified || !IsOpen()) return true;
    return m_files.ReplaceWhole(m_path, FormatIniText(m_sections));
}

}  // namespace lumora
