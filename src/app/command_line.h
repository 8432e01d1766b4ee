#pragma once

#include <string_view>

namespace lumora {

// A lower-case s anywhere in the command line asks for a start without the options window.
// Nothing else on the command line has a meaning, so "/s" and a path holding an s both count,
// and an upper-case S alone does not.
bool IsSilentStartRequested(std::u16string_view commandLine) noexcept;

}  // namespace lumora
