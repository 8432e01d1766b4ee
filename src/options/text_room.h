#pragma once
// Room for the texts of a page's controls at a DPI other than 96. Dialog templates grow with the
// font, but the dialog units are rounded to whole pixels while the text is not: a text that just
// fits at 96 DPI can come out a few pixels too long at another DPI. Such a control is widened
// into the free space beside it, never into a neighbour or past its page.

#include <cstdint>

namespace lumora {

// A control's left and right edges, in its page's pixels.
struct TextSpan {
    int32_t left = 0;
    int32_t right = 0;
};

// The smallest width in [narrowest, widest] at which `fits(width)` holds, for a `fits` that once
// true stays true for every greater width; `widest` when none fits.
template <typename Fits>
int32_t SmallestFittingWidth(int32_t narrowest, int32_t widest, Fits fits) {
    while (narrowest < widest) {
        const int32_t middle = narrowest + (widest - narrowest) / 2;
        if (fits(middle)) {
            widest = middle;
        } else {
            narrowest = middle + 1;
        }
    }
    return widest;
}

// The span of a control `width` wide: grown to the right, or on both sides for centred text
// (one side taking what the other cannot), never past `limits`. A control at least `width` wide
// keeps its span; one that cannot grow far enough grows as far as it can.
TextSpan WidenForText(TextSpan control, int32_t width, bool centred, TextSpan limits);

}  // namespace lumora
