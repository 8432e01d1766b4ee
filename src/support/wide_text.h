#pragma once
// Where the platform-free core (UTF-16 text as char16_t) meets the Win32 API (wchar_t).
// On Windows both are the same 16-bit unit, so the views are free.

#include <windows.h>

#include <string>
#include <string_view>

namespace lumora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline const wchar_t* AsWide(const std::u16string& text) noexcept {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline const wchar_t* AsWide(const char16_t* text) noexcept {
    return reinterpret_cast<const wchar_t*>(text);
}
inline std::u16string_view AsUtf16(const wchar_t* text, size_t length) noexcept {
    return {reinterpret_cast<const char16_t*>(text), length};
}
inline std::u16string ToUtf16(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

}  // namespace lumora
