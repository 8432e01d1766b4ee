#include "options/options_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace lumora {
namespace {

TEST(IntervalSlider, AStoredIntervalFindsItsPositionAndMovesOntoAnEntry20Below) {
    const struct {
        int32_t stored;
        IntervalChoice expected;
    } rows[] = {
        {120, {5, 100}},
        {90, {6, 70}},
        {50, {7, 50}},  // an entry of its own, before 30 + 20 is reached
        {70, {6, 70}},  // likewise before 50 + 20
        {40, {0, 40}},  // neither: the slow end, and the user's own interval stays
        {1000, {0, 1000}},
        {1020, {0, 1000}},
        {720, {1, 700}},
        {30, {8, 30}},
        {20, {0, 20}},
        {0, {0, 0}},
        {INT32_MIN, {0, INT32_MIN}},
        {INT32_MAX, {0, INT32_MAX}},
    };
    for (const auto& row : rows) {
        const IntervalChoice choice = IntervalForStoredFrequency(row.stored);
        EXPECT_EQ(choice.position, row.expected.position) << row.stored;
        EXPECT_EQ(choice.frequency, row.expected.frequency) << row.stored;
    }
}

TEST(IntervalSlider, EachPositionStandsForOneEntryAndAnyOtherFor50) {
    const int32_t rows[][2] = {{0, 1000}, {1, 700}, {2, 500}, {3, 300}, {4, 200}, {5, 100}, {6, 70},
                               {7, 50},   {8, 30},  {9, 50},  {-1, 50}, {INT32_MAX, 50}, {INT32_MIN, 50}};
    for (const auto& row : rows) {
        EXPECT_EQ(FrequencyAtSliderPosition(row[0]), row[1]) << row[0];
        // Reopening the page puts the slider back where the user left it.
        if (row[0] >= 0 && row[0] <= 8) {
            EXPECT_EQ(IntervalForStoredFrequency(row[1]).position, row[0]);
        }
    }
}

TEST(AppearanceReadouts, OpacityInWordsAtTheEndsAndTruncatedPerCentBetweenAndIntervalAsTheTimerTakesIt) {
    const struct {
        std::u16string (*readout)(int32_t);
        int32_t value;
        std::u16string text;
    } rows[] = {
        {OpacityReadout, 0, u"Invisible"},    {OpacityReadout, 1, u"0%"},         {OpacityReadout, 3, u"1%"},
        {OpacityReadout, 128, u"50%"},        {OpacityReadout, 254, u"99%"},      {OpacityReadout, 255, u"Opaque"},
        {OpacityReadout, 256, u"Opaque"},     {OpacityReadout, -1, u"Invisible"}, {OpacityReadout, INT32_MAX, u"Opaque"},
        {IntervalReadout, 50, u"50 ms"},      {IntervalReadout, 1000, u"1000 ms"}, {IntervalReadout, 0, u"0 ms"},
        {IntervalReadout, -1, u"4294967295 ms"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.readout(row.value), row.text) << row.value;
}

TEST(AppearanceReset, VisibleLampsLineUpFromTheCornerTwoPixelsApart) {
    const struct {
        std::vector<int32_t> widths;
        std::vector<std::pair<int32_t, int32_t>> places;
    } rows[] = {
        {{}, {}},
        {{16}, {{2, 2}}},
        {{16, 16, 16}, {{2, 2}, {20, 2}, {38, 2}}},
        // A lamp of another width moves the ones after it by its own width.
        {{16, 40, 16}, {{2, 2}, {20, 2}, {62, 2}}},
    };
    for (const auto& row : rows) {
        std::vector<std::pair<int32_t, int32_t>> places;
        for (const LampPlace& place : LineUpLamps(row.widths)) places.emplace_back(place.x, place.y);
        EXPECT_EQ(places, row.places) << row.widths.size();
    }
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

TEST(GeneralPageMode, TheBoxesShowTheKindsOfTheModeAndNoneOnlyFor256) {
    const struct {
        int32_t mode;
        const char* boxes;
    } rows[] = {{0, ""}, {1, "p"}, {2, "l"}, {4, "a"}, {5, "pa"}, {7, "pla"}, {256, "n"}, {257, "p"}};
    for (const auto& row : rows) EXPECT_EQ(ChecksForMode(row.mode), Checks(row.boxes)) << row.mode;
}

TEST(GeneralPageMode, EachCommandSetsTheModeAndTheBoxes) {
    using G = GeneralCommand;
    const struct {
        G command;
        int32_t mode;
        const char* boxes;  // as the command finds them
        int32_t expectedMode;
        const char* expectedBoxes;
    } rows[] = {
        {G::PhysicalBox, 2, "pl", 3, "pl"},
        {G::PhysicalBox, 3, "l", 2, "l"},
        {G::PhysicalBox, 256, "pn", 1, "p"},  // a kind ends "No indicators"
        {G::LogicalBox, 2, "", 0, ""},        // no kind left: no lamps, but not "No indicators"
        {G::LogicalBox, 1, "pl", 3, "pl"},
        {G::AllInOneBox, 1, "pa", 5, "pa"},
        {G::AllInOneBox, 5, "p", 1, "p"},
        {G::AllInOneBox, 256, "n", 256, "n"},  // clearing a kind that was not there
        {G::NoIndicatorsBox, 7, "plan", 256, "n"},
        {G::NoIndicatorsBox, 256, "", 1, "p"},
        {G::PhysicalListSelectionChanged, 2, "l", 3, "pl"},
        {G::PhysicalListSelectionChanged, 256, "n", 1, "p"},
        {G::PhysicalListSelectionChanged, 1, "p", 1, "p"},
        {G::PhysicalListOther, 2, "l", 2, "l"},  // focus alone does not switch the kind on
        {G::PhysicalListOther, 3, "pl", 3, "pl"},
        {G::LogicalListSelectionChanged, 1, "p", 3, "pl"},
        {G::LogicalListSelectionChanged, 256, "n", 2, "l"},
        {G::LogicalListOther, 256, "n", 256, "n"},
        {G::LogicalListOther, 3, "p", 1, "p"},
    };
    for (const auto& row : rows) {
        const GeneralPageState state = AfterGeneralCommand(row.command, row.mode, Checks(row.boxes));
        EXPECT_EQ(state.mode, row.expectedMode) << static_cast<int>(row.command) << " from " << row.mode;
        EXPECT_EQ(state.checks, Checks(row.expectedBoxes)) << static_cast<int>(row.command) << " from " << row.mode;
    }
}

// The page's round: fill the lists from the records, the user toggles one item (or none), apply.
TEST(GeneralPageRecords, TheListsShowTheEnableFlagsAndAnApplyWritesBackOnlyWhatIsSelected) {
    constexpr size_t kNoClick = SIZE_MAX;
    const struct {
        std::vector<IndicatorChoice> records;
        int32_t mode;
        size_t clicked;  // a record whose list item the user toggles
        std::vector<bool> expected;
    } rows[] = {
        // Nothing clicked: a hidden record stays unselected and hidden, the others stay shown.
        {{{1, true}, {1, false}, {2, true}, {2, false}, {4, false}}, 3, kNoClick, {true, false, true, false, false}},
        // The all-in-one record follows bit 4 whatever its flag was.
        {{{1, true}, {4, false}}, 5, kNoClick, {true, true}},
        {{{1, true}, {4, true}}, 1, kNoClick, {true, false}},
        {{{4, true}}, 256, kNoClick, {false}},
        {{{1, false}, {2, true}}, 2, 0, {true, true}},
        {{{1, false}, {2, true}}, 2, 1, {false, false}},
        // A record of no listed kind is never selected, so an apply hides it.
        {{{8, true}, {1, true}}, 7, kNoClick, {false, true}},
    };
    for (size_t r = 0; r < std::size(rows); ++r) {
        std::vector<IndicatorChoice> records = rows[r].records;
        const GeneralLists lists = ListGeneralRecords(records);
        std::vector<size_t> selected;
        for (const auto* list : {&lists.physical, &lists.logical}) {
            for (const ListedRecord& item : *list) {
                EXPECT_EQ(item.selected, records[item.record].visible) << "row " << r;
                if (item.selected != (item.record == rows[r].clicked)) selected.push_back(item.record);
            }
        }
        ApplyGeneralSelection(records, selected, rows[r].mode);
        std::vector<bool> visible;
        for (const IndicatorChoice& record : records) visible.push_back(record.visible);
        EXPECT_EQ(visible, rows[r].expected) << "row " << r;
    }
}

TEST(GeneralPageRecords, EachListHoldsItsKindInRecordOrderAndStrayIndexesAreIgnored) {
    std::vector<IndicatorChoice> records{{2, true}, {1, false}, {4, true}, {1, true}, {2, false}};
    const GeneralLists lists = ListGeneralRecords(records);
    EXPECT_EQ(lists.physical, (std::vector<ListedRecord>{{1, false}, {3, true}}));
    EXPECT_EQ(lists.logical, (std::vector<ListedRecord>{{0, true}, {4, false}}));

    ApplyGeneralSelection(records, {4, 5, SIZE_MAX}, 0);
    for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].visible, i == 4) << i;
}

}  // namespace
}  // namespace lumora
