#include "options/summary_text.h"

#include <gtest/gtest.h>

#include "sampling/hard_disk_sampler.h"
#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::Device;

TEST(SummaryText, EachShownDeviceOfAShownKindInOrderInABlockOfItsOwnAndKeptWhole) {
    const DeviceRecord physical = Device(DEVICE_PHYSICAL), logical = Device(DEVICE_LOGICAL),
                       allInOne = Device(DEVICE_ALL_IN_ONE), other = Device(8);
    testing::StubSampler p(u"P0"), c(u"C:"), all(u"All"), silent;
    const std::pair<std::vector<SummaryDevice>, std::u16string> rows[] = {
        {{}, u""},
        {{{&allInOne, &all}, {&other, &p}, {&physical, &p}, {&logical, &c}}, u"\r\nAll\r\n\r\nP0\r\n\r\nC:\r\n"},
        // A sampler with nothing to say gives an empty block, not the device's before it.
        {{{&logical, &c}, {&logical, &silent}}, u"\r\nC:\r\n\r\n\r\n"},
        {{{&physical, nullptr}, {nullptr, &p}}, u"\r\n\r\n"},
    };
    for (const auto& [shown, text] : rows) EXPECT_EQ(BuildSummaryText(shown), text) << shown.size();

    std::vector<DeviceRecord> devices;
    for (uint64_t i = 0; i < 100; ++i) devices.push_back(Device(DEVICE_PHYSICAL, u"Physical Drive " + DecimalText(i)));
    DeviceRecord total = Device(DEVICE_ALL_IN_ONE, u"All-In-One");
    testing::FakeText text;
    CAllInOneIndicatorInfo sampler(SamplerContext{nullptr, nullptr, &text, &devices});
    sampler.m_device = &total;
    sampler.Open();
    const std::u16string summary = BuildSummaryText({{&total, &sampler}});
    const std::u16string last = u"Physical Drive 99 - \r\n Data Read: 0 B (0) \tData Write: 0 B (0)\r\n\r\n";
    EXPECT_EQ(summary.rfind(u"\r\nAll-In-One\r\n", 0), 0u);
    EXPECT_EQ(summary.size() - summary.rfind(last), last.size()) << summary.size();
}

// Texts written with '|' for each "\r\n", and places in them as (line, column).
std::u16string Crlf(std::u16string_view bars) {
    std::u16string text;
    for (char16_t unit : bars) unit == u'|' ? text += u"\r\n" : text += unit;
    return text;
}
SummaryPlace PlaceIn(std::u16string_view bars, const std::pair<size_t, size_t> (&at)[3]) {
    size_t offsets[3];
    for (size_t i = 0; i < 3; ++i) {
        size_t line = 0;
        for (size_t n = 0; n < at[i].first; ++n) line = bars.find(u'|', line) + 1;
        offsets[i] = Crlf(bars.substr(0, line)).size() + at[i].second;
    }
    return {offsets[0], offsets[1], offsets[2]};
}

TEST(SummaryPlace, TheReaderKeepsTheDeviceAndTheSelectionThroughARefresh) {
    const std::u16string two = u"|Disk A|Read: 1||Disk B|Read: 2|";
    const struct {
        const char* what;
        std::u16string before, after;
        std::pair<size_t, size_t> place[3], kept[3];  // the first line shown, the selection's start and end
    } rows[] = {
        // Figures that grow above the place are the Summary page end-to-end test's refreshes.
        {"a device added above", two, u"|Disk 0|Read: 9||Disk A|Read: 1||Disk B|Read: 2|", {{4, 0}, {5, 1}, {5, 3}},
         {{7, 0}, {8, 1}, {8, 3}}},
        {"a device removed above", two, u"|Disk B|Read: 2|", {{4, 0}, {5, 1}, {5, 3}}, {{1, 0}, {2, 1}, {2, 3}}},
        {"a device added between the ends of the selection", two, u"|Disk A|Read: 1||Disk Z|Read: 0||Disk B|Read: 2|",
         {{0, 0}, {2, 0}, {5, 4}}, {{0, 0}, {2, 0}, {8, 4}}},
        // An idle figure that two devices shared until one of them got busy names neither.
        {"a shared figure changes in the reader's device", u"|Disk B|Queue: 0||Disk C|Queue: 0|Rate: 5",
         u"|Disk B|Queue: 0||Disk C|Queue: 3|Rate: 6", {{4, 0}, {6, 2}, {6, 2}}, {{4, 0}, {6, 2}, {6, 2}}},
        {"a figure line shrinks under the selection", two, u"|Disk A|Read: 1||Disk B|R|", {{4, 0}, {5, 3}, {5, 6}},
         {{4, 0}, {5, 1}, {5, 1}}},
        {"the ends swap places", two, u"|Disk B|Read: 2||Disk A|Read: 1|", {{0, 0}, {2, 0}, {5, 0}},
         {{0, 0}, {5, 0}, {5, 0}}},
        {"no line to follow: the same line, within the text", u"x|x|x|x", u"x|x", {{3, 0}, {2, 1}, {3, 1}},
         {{1, 0}, {1, 1}, {1, 1}}},
        {"everything gone", two, u"", {{4, 0}, {5, 1}, {5, 3}}, {{0, 0}, {0, 0}, {0, 0}}},
        {"from an empty box", u"", two, {{0, 0}, {0, 0}, {0, 0}}, {{0, 0}, {0, 0}, {0, 0}}},
        {"inside a line break, and past the end of a text since replaced", u"|Disk A|Read: 1|", u"|Disk A|Read: 22|",
         {{1, 7}, {1, 7}, {3, 500}}, {{1, 6}, {1, 6}, {3, 0}}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(KeepSummaryPlace(Crlf(row.before), Crlf(row.after), PlaceIn(row.before, row.place)),
                  PlaceIn(row.after, row.kept))
            << row.what;
    }
}

}  // namespace
}  // namespace lumora
