#pragma once
// The settings file's text form: single-byte lines of section headers and key=value entries.

#include <string>
#include <string_view>
#include <vector>

namespace lumora {

struct IniEntry {
    std::u16string key;
    std::u16string value;
};

struct IniSection {
    std::u16string name;
    // A section counts (is found by lookups and written back) once it has received an entry;
    // section 0 holds the lines before the first header and is never written with a header.
    bool named = false;
    std::vector<IniEntry> entries;
};

// Text as the single-byte file can hold it: every character above U+00FF becomes "?", and so
// do the line feed and 0x1A, which would end the line or the file.
std::u16string ToStoredForm(std::u16string_view text);

// Splits file bytes into sections; section 0 is always present. CR LF and LF end a line, 0x1A
// ends the file, and lines of any length are kept whole. Without a byte-order mark each byte is
// one character; after a UTF-8, UTF-16 LE or UTF-16 BE mark the text is decoded, and every
// character beyond U+00FF or that cannot be decoded is held as "?".
std::vector<IniSection> ParseIniText(std::string_view bytes);

// The file bytes for the named sections, lines ending in CR LF, never beginning with what would
// read as a byte-order mark.
std::string FormatIniText(const std::vector<IniSection>& sections);

// Whether key=value reads back as the same entry (and not as a header or another key).
bool IsStorableEntry(std::u16string_view key, std::u16string_view value);

}  // namespace lumora
