#include "options/options_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "settings/settings_store.h"

namespace lumora {
namespace {

// Reopening the page puts the slider back where the user left it, and a stored interval 20 ms
// above an entry moves onto that entry: either way the slider shows what the timer gets.
TEST(IntervalSlider, APositionAndTheTimerIntervalAgreeBothWays) {
    const int32_t positions = static_cast<int32_t>(CSettings::UpdateIntervals.size());
    for (int32_t position = 0; position < positions; ++position) {
        const int32_t interval = FrequencyAtSliderPosition(position);
        const IntervalChoice same = IntervalForStoredFrequency(interval);
        const IntervalChoice above = IntervalForStoredFrequency(interval + 20);
        EXPECT_EQ(std::pair(same.position, same.frequency), std::pair(position, interval));
        EXPECT_EQ(FrequencyAtSliderPosition(above.position), above.frequency) << interval + 20;
        EXPECT_TRUE(above.frequency == interval || above.frequency == interval + 20) << interval + 20;
    }
    for (int32_t outside : {positions, -1, INT32_MAX, INT32_MIN}) EXPECT_EQ(FrequencyAtSliderPosition(outside), 50);
    // Any other interval leaves the slider at the slow end, and is kept until the slider moves.
    for (int32_t stored : {40, 20, 0, INT32_MIN, INT32_MAX}) {
        const IntervalChoice choice = IntervalForStoredFrequency(stored);
        EXPECT_EQ(std::pair(choice.position, choice.frequency), std::pair(0, stored));
    }
}

// 0, 255 and the interval's read-out are the Appearance page end-to-end test's.
TEST(AppearanceReadouts, OpacityInWordsAtTheEndsAndTruncatedPerCentBetween) {
    const std::pair<int32_t, std::u16string> rows[] = {
        {1, u"0%"}, {254, u"99%"}, {256, u"Opaque"}, {-1, u"Invisible"}, {INT32_MAX, u"Opaque"},
    };
    for (const auto& [value, text] : rows) EXPECT_EQ(OpacityReadout(value), text) << value;
}

TEST(AppearanceReset, VisibleLampsLineUpFromTheCornerTwoPixelsApart) {
    // Lamps of one width are the General page end-to-end test's; one of another width moves the
    // ones after it by its own width.
    std::vector<std::pair<int32_t, int32_t>> places;
    for (const LampPlace& place : LineUpLamps({16, 40, 16})) places.emplace_back(place.x, place.y);
    EXPECT_EQ(places, (std::vector<std::pair<int32_t, int32_t>>{{2, 2}, {20, 2}, {62, 2}}));
}

ModeChecks Checks(const char* boxes) {
    ModeChecks checks;
    for (const char* box = boxes; *box; ++box) {
        checks.physical |= *box == 'p';
        checks.logical |= *box == 'l';
        checks.allInOne |= *box == 'a';
        checks.none |= *box == 'n';
    }
    return checks;
}

// The boxes show the kinds of the mode, "No indicators" only for 256, after every command too.
TEST(GeneralPageMode, EachCommandSetsTheModeAndTheBoxesShowItsKinds) {
    const std::pair<int32_t, const char*> modes[] = {{0, ""},   {1, "p"},     {2, "l"},   {4, "a"},
                                                     {5, "pa"}, {7, "pla"}, {256, "n"}, {257, "p"}};
    for (const auto& [mode, boxes] : modes) EXPECT_EQ(ChecksForMode(mode), Checks(boxes)) << mode;
    using G = GeneralCommand;
    // The command, the mode and boxes it finds, and the mode it leaves.
    const std::tuple<G, int32_t, const char*, int32_t> rows[] = {
        {G::PhysicalBox, 2, "pl", 3}, {G::PhysicalBox, 3, "l", 2},
        {G::PhysicalBox, 256, "pn", 1},  // a kind ends "No indicators"
        {G::LogicalBox, 2, "", 0},       // no kind left: no lamps, but not "No indicators"
        {G::LogicalBox, 1, "pl", 3}, {G::AllInOneBox, 1, "pa", 5}, {G::AllInOneBox, 5, "p", 1},
        {G::AllInOneBox, 256, "n", 256},  // clearing a kind that was not there
        {G::NoIndicatorsBox, 7, "plan", 256}, {G::NoIndicatorsBox, 256, "", 1},
        {G::PhysicalListSelectionChanged, 2, "l", 3}, {G::PhysicalListSelectionChanged, 256, "n", 1},
        {G::PhysicalListSelectionChanged, 1, "p", 1},
        {G::PhysicalListOther, 2, "l", 2},  // focus alone does not switch the kind on
        {G::PhysicalListOther, 3, "pl", 3}, {G::LogicalListSelectionChanged, 1, "p", 3},
        {G::LogicalListSelectionChanged, 256, "n", 2}, {G::LogicalListOther, 256, "n", 256}, {G::LogicalListOther, 3, "p", 1},
    };
    for (const auto& [command, mode, boxes, expectedMode] : rows) {
        const GeneralPageState state = AfterGeneralCommand(command, mode, Checks(boxes));
        EXPECT_EQ(std::pair(state.mode, state.checks), std::pair(expectedMode, ChecksForMode(expectedMode)))
            << static_cast<int>(command) << " from " << mode;
    }
}

// The page's round: fill the lists from the records and apply what they show. A click on a
// disk's item that shows or hides it is the General page end-to-end test's.
TEST(GeneralPageRecords, TheListsShowTheEnableFlagsInRecordOrderAndAnApplyWritesBackOnlyWhatIsSelected) {
    // The records, the mode, and what an apply shows.
    const std::tuple<std::vector<IndicatorChoice>, int32_t, std::vector<bool>> rows[] = {
        // A hidden record stays unselected and hidden, the others stay shown.
        {{{1, true}, {1, false}, {2, true}, {2, false}, {4, false}}, 3, {true, false, true, false, false}},
        // The all-in-one record follows bit 4 whatever its flag was.
        {{{1, true}, {4, false}}, 5, {true, true}}, {{{1, true}, {4, true}}, 1, {true, false}}, {{{4, true}}, 256, {false}},
        // A record of no listed kind is never selected, so an apply hides it.
        {{{8, true}, {1, true}}, 7, {false, true}},
    };
    for (const auto& [initial, mode, expected] : rows) {
        std::vector<IndicatorChoice> records = initial;
        const GeneralLists lists = ListGeneralRecords(records);
        std::vector<size_t> selected;
        for (const auto* list : {&lists.physical, &lists.logical}) {
            for (const ListedRecord& item : *list) {
                EXPECT_EQ(item.selected, records[item.record].visible) << "mode " << mode;
                if (item.selected) selected.push_back(item.record);
            }
        }
        ApplyGeneralSelection(records, selected, mode);
        std::vector<bool> visible;
        for (const IndicatorChoice& record : records) visible.push_back(record.visible);
        EXPECT_EQ(visible, expected) << "mode " << mode << ", " << initial.size() << " records";
    }

    // Each list holds its kind in record order; stray indexes are ignored.
    std::vector<IndicatorChoice> records{{2, true}, {1, false}, {4, true}, {1, true}, {2, false}};
    const GeneralLists lists = ListGeneralRecords(records);
    EXPECT_EQ(lists.physical, (std::vector<ListedRecord>{{1, false}, {3, true}}));
    EXPECT_EQ(lists.logical, (std::vector<ListedRecord>{{0, true}, {4, false}}));

    ApplyGeneralSelection(records, {4, 5, SIZE_MAX}, 0);
    for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].visible, i == 4) << i;
}

}  // namespace
}  // namespace lumora
