#include "app/command_line.h"

namespace lumora {

bool IsSilentStartRequested(std::u16string_view commandLine) noexcept {
    return commandLine.find(u's') != std::u16string_view::npos;
}

}  // namespace lumora
