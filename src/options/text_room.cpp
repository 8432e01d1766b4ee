#include "options/text_room.h"

#include <algorithm>

namespace lumora {

TextSpan WidenForText(TextSpan control, int32_t width, bool centred, TextSpan limits) {
    const int32_t extra = width - (control.right - control.left);
    if (extra <= 0) return control;
    // What each side may take; a control already past a limit takes nothing on that side.
    const int32_t leftRoom = centred ? std::max(0, control.left - limits.left) : 0;
    const int32_t rightRoom = std::max(0, limits.right - control.right);
    int32_t toLeft = std::min(leftRoom, centred ? extra / 2 : 0);
    const int32_t toRight = std::min(rightRoom, extra - toLeft);
    toLeft = std::min(leftRoom, extra - toRight);
    return {control.left - toLeft, control.right + toRight};
}

}  // namespace lumora
