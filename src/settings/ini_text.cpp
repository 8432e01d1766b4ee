#include "settings/ini_text.h"

#include "settings/ini_platform.h"
#include "support/utf16_text.h"

namespace lumora {

namespace {

constexpr char kEndOfFile = 0x1A;

bool IsHeaderLine(std::u16string_view line) {
    return line.size() >= 2 && line.front() == u'[' && line.back() == u']';
}

void AppendBytes(std::string& out, std::u16string_view text) {
    for (char16_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
}

}  // namespace

void Latin1CaseMapping::Lower(std::u16string& text) const {
    for (char16_t& c : text) {
        const bool asciiUpper = c >= u'A' && c <= u'Z';
        const bool latinUpper = c >= 0xC0 && c <= 0xDE && c != 0xD7;
        if (asciiUpper || latinUpper) c = static_cast<char16_t>(c + 0x20);
    }
}

std::u16string ToStoredForm(std::u16string_view text) {
    std::u16string stored(text);
    for (char16_t& c : stored) {
        if (c > 0xFF || c == u'\n' || c == kEndOfFile) c = u'?';
    }
    return stored;
}

std::vector<IniSection> ParseIniText(std::string_view bytes) {
    const size_t end = bytes.find(kEndOfFile);
    if (end != std::string_view::npos) bytes = bytes.substr(0, end);

    std::vector<IniSection> sections(1);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lineEnd = bytes.find('\n', start);
        const bool hasLineFeed = lineEnd != std::string_view::npos;
        if (!hasLineFeed) lineEnd = bytes.size();
        std::string_view raw = bytes.substr(start, lineEnd - start);
        // Only the CR of a CR LF belongs to the line end; a lone CR is an ordinary character.
        if (hasLineFeed && !raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        start = hasLineFeed ? lineEnd + 1 : bytes.size();
        if (raw.empty()) continue;

        std::u16string line;
        AppendAscii(line, raw);  // the file is single-byte: each byte is the code point
        if (IsHeaderLine(line)) {
            IniSection section;
            section.name = line.substr(1, line.size() - 2);
            sections.push_back(std::move(section));
            continue;
        }
        const size_t equals = line.find(u'=');
        IniEntry entry;
        if (equals == std::u16string::npos) {
            entry.key = std::move(line);
        } else {
            entry.key = line.substr(0, equals);
            entry.value = line.substr(equals + 1);
        }
        if (entry.key.empty()) continue;
        sections.back().named = true;
        sections.back().entries.push_back(std::move(entry));
    }
    return sections;
}

std::string FormatIniText(const std::vector<IniSection>& sections) {
    std::string out;
    for (size_t index = 0; index < sections.size(); ++index) {
        const IniSection& section = sections[index];
        if (!section.named) continue;
        // Any section after the first came from a header, even "[]"; without one its entries
        // would join the section above it on the next read.
        if (index != 0) {
            out += "\r\n[";
            AppendBytes(out, section.name);
            out += "]\r\n";
        }
        for (const IniEntry& entry : section.entries) {
            AppendBytes(out, entry.key);
            out += '=';
            AppendBytes(out, entry.value);
            out += "\r\n";
        }
    }
    return out;
}

bool IsStorableEntry(std::u16string_view key, std::u16string_view value) {
    if (key.empty() || key.find(u'=') != std::u16string_view::npos) return false;
    const bool lineEndsInBracket = !value.empty() && value.back() == u']';
    return !(key.front() == u'[' && lineEndsInBracket);
}

}  // namespace lumora
