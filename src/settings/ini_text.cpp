#include "settings/ini_text.h"

#include <cstdint>

#include "settings/ini_platform.h"
#include "support/utf16_text.h"

namespace lumora {

namespace {

constexpr char kEndOfFile = 0x1A;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool StartsWithMark(std::string_view bytes) {
    return StartsWith(bytes, kUtf8Mark) || StartsWith(bytes, kUtf16LittleEndianMark) ||
           StartsWith(bytes, kUtf16BigEndianMark);
}

char SingleByte(uint32_t codePoint) { return codePoint <= 0xFF ? static_cast<char>(codePoint) : '?'; }

// Each well-formed sequence is one character; a byte that starts no sequence, or the part of a
// sequence read before it broke off, is one "?" (the bytes after it are read afresh).
void AppendUtf8(std::string& out, std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i++]);
        size_t needed = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        uint32_t codePoint = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            codePoint = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // shorter forms and surrogates are not characters
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            codePoint = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else if (lead >= 0x80) {
            out.push_back('?');
            continue;
        }
        size_t taken = 0;
        for (; taken < needed && i < text.size(); ++taken, ++i, low = 0x80, high = 0xBF) {
            const auto next = static_cast<unsigned char>(text[i]);
            if (next < low || next > high) break;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        out.push_back(taken == needed ? SingleByte(codePoint) : '?');
    }
}

// A surrogate pair is one character beyond U+00FF; an odd last byte is half a unit and dropped.
void AppendUtf16(std::string& out, std::string_view text, bool bigEndian) {
    const auto unitAt = [&](size_t i) {
        const auto first = static_cast<unsigned char>(text[i]);
        const auto second = static_cast<unsigned char>(text[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const char16_t unit = unitAt(i);
        const bool pairStart = unit >= 0xD800 && unit <= 0xDBFF && i + 3 < text.size();
        if (pairStart && unitAt(i + 2) >= 0xDC00 && unitAt(i + 2) <= 0xDFFF) i += 2;
        out.push_back(SingleByte(unit));
    }
}

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
    // Editors that save with a byte-order mark get their text read as they meant it.
    std::string decoded;
    if (StartsWith(bytes, kUtf8Mark)) {
        AppendUtf8(decoded, bytes.substr(kUtf8Mark.size()));
        bytes = decoded;
    } else if (StartsWith(bytes, kUtf16LittleEndianMark) || StartsWith(bytes, kUtf16BigEndianMark)) {
        AppendUtf16(decoded, bytes.substr(2), StartsWith(bytes, kUtf16BigEndianMark));
        bytes = decoded;
    }
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
    // A first key that begins like a byte-order mark would be read as one; an empty line in
    // front is skipped on reading and changes nothing else.
    if (StartsWithMark(out)) out.insert(0, "\r\n");
    return out;
}

bool IsStorableEntry(std::u16string_view key, std::u16string_view value) {
    if (key.empty() || key.find(u'=') != std::u16string_view::npos) return false;
    const bool lineEndsInBracket = !value.empty() && value.back() == u']';
    return !(key.front() == u'[' && lineEndsInBracket);
}

}  // namespace lumora
