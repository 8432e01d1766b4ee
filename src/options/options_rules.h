#pragma once
// What the General and Appearance pages decide without a window: where the interval slider
// stands, the read-outs beside the sliders, the place of each lamp after a reset, and how the
// mode boxes, the device lists and the indicator records follow one another. The pages only
// read their controls, call these, and write the answers back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/lamp_place.h"

namespace lumora {

// ---- Appearance page ----

// The interval slider's position for a stored interval, and the interval the page goes on with.
struct IntervalChoice {
    int32_t position = 0;
    int32_t frequency = 0;
};

// An interval that the table offers gives its own position. One that is 20 ms above an offered
// entry moves onto that entry, so that the slider and the timer agree. Any other interval leaves
// the slider at the slow end and the interval as it is: the user's own value is kept until the
// slider is moved.
IntervalChoice IntervalForStoredFrequency(int32_t frequency);

// The interval a slider position stands for; a position outside the table falls back to 50 ms.
int32_t FrequencyAtSliderPosition(int32_t position);

// "Invisible", "Opaque", or the per cent, truncated. A stored value outside 0 ... 255 reads as
// the nearer end, where the slider also shows it.
std::u16string OpacityReadout(int32_t opacity);

// "%u ms": the interval as the update timer receives it.
std::u16string IntervalReadout(int32_t frequency);

// Where a reset puts the visible lamps, in list order: in the row of lamp_place.h, whatever each
// one's width.
std::vector<LampPlace> LineUpLamps(const std::vector<int32_t>& widths);

// ---- General page ----

// The four mode boxes: "Physical drive" (bit 1), "Logical disks" (bit 2), "'All-in-one'" (bit 4)
// and "No indicators" (mode 256).
struct ModeChecks {
    bool physical = false;
    bool logical = false;
    bool allInOne = false;
    bool none = false;

    bool operator==(const ModeChecks& other) const {
        return physical == other.physical && logical == other.logical && allInOne == other.allInOne &&
               none == other.none;
    }
};

// The boxes as the page shows a mode when it opens.
ModeChecks ChecksForMode(int32_t mode);

// What reached the page: a click on a mode box, or a notification from one of the device lists.
enum class GeneralCommand {
    PhysicalBox,
    LogicalBox,
    AllInOneBox,
    NoIndicatorsBox,
    PhysicalListSelectionChanged,
    PhysicalListOther,  // focus and the other list notifications
    LogicalListSelectionChanged,
    LogicalListOther,
};

struct GeneralPageState {
    int32_t mode = 0;
    ModeChecks checks;
};

// The mode and the boxes after a command; `checks` are the boxes as the command finds them (an
// auto check box has already changed its own state). Every command is followed by one apply
// of the page. Choosing a drive or disk in a list switches its kind on, so that the lamp the
// user just asked for appears. A kind switched on also ends "No indicators": the mode stays a
// set of kinds or exactly 256, never both.
GeneralPageState AfterGeneralCommand(GeneralCommand command, int32_t mode, ModeChecks checks);

// An indicator record as the General page sees it: its device's kind and its enable flag.
struct IndicatorChoice {
    uint32_t kind = 0;
    bool visible = false;
};

// One item of a device list: the record (an index into the records) and whether it is selected.
struct ListedRecord {
    size_t record = 0;
    bool selected = false;

    bool operator==(const ListedRecord& other) const {
        return record == other.record && selected == other.selected;
    }
};

struct GeneralLists {
    std::vector<ListedRecord> physical;
    std::vector<ListedRecord> logical;
};

// The items of the two lists, in record order; an item is selected exactly when its record's
// lamp is enabled. The all-in-one lamp has no item: the mode decides it.
GeneralLists ListGeneralRecords(const std::vector<IndicatorChoice>& records);

// The enable flags after an apply: exactly the records selected in the two lists (indexes that
// name no record are ignored), and the all-in-one record whenever the mode holds its bit.
void ApplyGeneralSelection(std::vector<IndicatorChoice>& records, const std::vector<size_t>& selectedRecords,
                           int32_t mode);

}  // namespace lumora
