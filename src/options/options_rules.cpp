#include "options/options_rules.h"

#include "sampling/device_record.h"
#include "settings/settings_store.h"
#include "support/utf16_text.h"

namespace lumora {

namespace {

constexpr int32_t kFallbackFrequency = 50;

int32_t WithKind(int32_t mode, int32_t kind, bool on) {
    if (on) return (mode & ~kIndicationNone) | kind;
    return mode & ~kind;
}

}  // namespace

IntervalChoice IntervalForStoredFrequency(int32_t frequency) {
    const auto& table = CSettings::UpdateIntervals;
    for (size_t i = 0; i < table.size(); ++i) {
        const int32_t position = static_cast<int32_t>(i);
        if (table[i] == frequency) return {position, frequency};
        // Compared as entry + 20 so that the most negative interval cannot overflow.
        if (table[i] + 20 == frequency) return {position, table[i]};
    }
    return {0, frequency};
}

int32_t FrequencyAtSliderPosition(int32_t position) {
    const auto& table = CSettings::UpdateIntervals;
    if (position < 0 || static_cast<size_t>(position) >= table.size()) return kFallbackFrequency;
    return table[static_cast<size_t>(position)];
}

std::u16string OpacityReadout(int32_t opacity) {
    if (opacity <= 0) return u"Invisible";
    if (opacity >= 255) return u"Opaque";
    std::u16string text = DecimalText(static_cast<uint32_t>(opacity) * 100 / 255);
    text.push_back(u'%');
    return text;
}

std::u16string IntervalReadout(int32_t frequency) {
    std::u16string text = DecimalText(static_cast<uint32_t>(frequency));
    AppendAscii(text, " ms");
    return text;
}

std::vector<LampPlace> LineUpLamps(const std::vector<int32_t>& widths) {
    std::vector<LampPlace> places;
    places.reserve(widths.size());
    int32_t widthsBefore = 0;
    for (int32_t width : widths) {
        places.push_back(PlaceInLampRow(places.size(), widthsBefore));
        widthsBefore += width;
    }
    return places;
}

ModeChecks ChecksForMode(int32_t mode) {
    ModeChecks checks;
    checks.physical = (mode & kIndicationPhysical) != 0;
    checks.logical = (mode & kIndicationLogical) != 0;
    checks.allInOne = (mode & kIndicationAllInOne) != 0;
    checks.none = mode == kIndicationNone;
    return checks;
}

GeneralPageState AfterGeneralCommand(GeneralCommand command, int32_t mode, ModeChecks checks) {
    switch (command) {
        case GeneralCommand::PhysicalBox:
        case GeneralCommand::PhysicalListOther:
            mode = WithKind(mode, kIndicationPhysical, checks.physical);
            break;
        case GeneralCommand::LogicalBox:
        case GeneralCommand::LogicalListOther:
            mode = WithKind(mode, kIndicationLogical, checks.logical);
            break;
        case GeneralCommand::AllInOneBox:
            mode = WithKind(mode, kIndicationAllInOne, checks.allInOne);
            break;
        case GeneralCommand::NoIndicatorsBox:
            if (checks.none) {
                mode = kIndicationNone;
                checks.physical = checks.logical = checks.allInOne = false;
            } else {
                mode = kIndicationPhysical;
                checks.physical = true;
            }
            break;
        case GeneralCommand::PhysicalListSelectionChanged:
            checks.physical = true;
            mode = WithKind(mode, kIndicationPhysical, true);
            break;
        case GeneralCommand::LogicalListSelectionChanged:
            checks.logical = true;
            mode = WithKind(mode, kIndicationLogical, true);
            break;
    }
    if (mode != kIndicationNone) checks.none = false;
    return {mode, checks};
}

GeneralLists ListGeneralRecords(const std::vector<IndicatorChoice>& records) {
    GeneralLists lists;
    for (size_t i = 0; i < records.size(); ++i) {
        const ListedRecord item{i, records[i].visible};
        if (records[i].kind == DEVICE_PHYSICAL) lists.physical.push_back(item);
        if (records[i].kind == DEVICE_LOGICAL) lists.logical.push_back(item);
    }
    return lists;
}

void ApplyGeneralSelection(std::vector<IndicatorChoice>& records, const std::vector<size_t>& selectedRecords,
                           int32_t mode) {
    for (IndicatorChoice& record : records) record.visible = false;
    for (size_t index : selectedRecords) {
        if (index < records.size()) records[index].visible = true;
    }
    if ((mode & kIndicationAllInOne) == 0) return;
    for (IndicatorChoice& record : records) {
        if (record.kind == DEVICE_ALL_IN_ONE) record.visible = true;
    }
}

}  // namespace lumora
