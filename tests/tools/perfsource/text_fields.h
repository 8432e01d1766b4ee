#pragma once
// The small pieces of text handling that the scenario file and the /proc files share.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::perfsource {

// Digits only: no sign, no blanks; false on overflow.
bool ParseDecimal(std::string_view text, uint64_t& out);
bool ParseDecimal(std::string_view text, uint32_t& out);
// Hexadecimal digits only, without the 0x; false on overflow.
bool ParseHexadecimal(std::string_view text, uint32_t& out);

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
std::string_view TrimBlanks(std::string_view text);
// Fields separated by runs of blanks.
std::vector<std::string_view> SplitFields(std::string_view text);

// Strict: false for overlong forms, surrogates, code points above U+10FFFF and cut sequences.
bool Utf8ToUtf16(std::string_view text, std::u16string& out);

}  // namespace lumora::perfsource
