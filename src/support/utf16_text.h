#pragma once
// Plain UTF-16 text pieces shared by every subsystem, independent of any locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

// Widens single-byte text unit by unit (ASCII and Latin-1 map to the same code points).
void AppendAscii(std::u16string& text, std::string_view ascii);
std::u16string DecimalText(uint64_t value);
std::u16string SignedDecimalText(int64_t value);

}  // namespace lumora
