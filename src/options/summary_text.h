#pragma once
// The Summary page's text, and where the reader's place lands when the text is rebuilt.

#include <cstddef>
#include <string>
#include <vector>

#include "sampling/device_record.h"
#include "sampling/sampler.h"

namespace lumora {

// A device whose lamp is shown, with the sampler that measures it (which may be missing).
struct SummaryDevice {
    const DeviceRecord* device = nullptr;
    __performance_data* sampler = nullptr;
};

// Every shown device's statistics in list order, each after a blank line; a physical drive adds
// its serial number and its extra line when it has them. The text grows with the devices: the
// all-in-one text of a machine with many drives is kept whole.
std::u16string BuildSummaryText(const std::vector<SummaryDevice>& shown);

// The reader's place in the text box, as character offsets: the start of the first visible line
// and the selection. Offsets rather than line numbers, because a box that wraps its lines counts
// the wrapped pieces as lines too; the page turns them back into lines with the box itself.
struct SummaryPlace {
    size_t firstVisible = 0;
    size_t selectionStart = 0;
    size_t selectionEnd = 0;

    bool operator==(const SummaryPlace& other) const {
        return firstVisible == other.firstVisible && selectionStart == other.selectionStart &&
               selectionEnd == other.selectionEnd;
    }
};

// Where the same place is in the rebuilt text. The figures change at every refresh, but each
// device's first line (its name) does not: a position follows the nearest line at or above it
// that appears once in each text, so that a device added or removed higher up does not move the
// reader's view. Without such a line the position keeps its line and column.
SummaryPlace KeepSummaryPlace(const std::u16string& oldText, const std::u16string& newText, SummaryPlace place);

}  // namespace lumora
