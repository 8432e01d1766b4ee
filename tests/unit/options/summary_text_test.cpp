#include "options/summary_text.h"

#include <gtest/gtest.h>

#include "sampling/hard_disk_sampler.h"
#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::Device;

TEST(SummaryText, EachShownDeviceOfAShownKindInOrderInABlockOfItsOwn) {
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
}

TEST(SummaryText, TheAllInOneTextOfManyDrivesIsKeptWhole) {
    std::vector<DeviceRecord> devices;
    for (uint64_t i = 0; i < 100; ++i) devices.push_back(Device(DEVICE_PHYSICAL, u"Physical Drive " + DecimalText(i)));
    DeviceRecord total = Device(DEVICE_ALL_IN_ONE, u"All-In-One");
    testing::FakeText text;
    CAllInOneIndicatorInfo sampler(SamplerContext{nullptr, nullptr, &text, &devices});
    sampler.m_device = &total;
    sampler.Open();

    const std::u16string summary = BuildSummaryText({{&total, &sampler}});
    const std::u16string last = u"Physical Drive 99 - \r\n Data Read: 0 B (0) \tData Write: 0 B (0)\r\n";
    ASSERT_GT(summary.size(), 4096u);
    EXPECT_EQ(summary.compare(0, 14, u"\r\nAll-In-One\r\n"), 0);
    EXPECT_EQ(summary.compare(summary.size() - last.size() - 2, last.size(), last), 0);
}

// Lines joined by "\r\n", and positions in them as (line, column).
std::u16string Join(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? u"\r\n" : u"") + lines[i];
    return text;
}
size_t Offset(const std::vector<std::u16string>& lines, std::pair<size_t, size_t> at) {
    size_t offset = 0;
    for (size_t i = 0; i < at.first; ++i) offset += lines[i].size() + 2;
    return offset + at.second;
}

TEST(SummaryPlace, TheReaderKeepsTheDeviceAndTheSelectionThroughARefresh) {
    using At = std::pair<size_t, size_t>;
    const std::vector<std::u16string> two{u"", u"Disk A", u"Read: 1", u"", u"Disk B", u"Read: 2", u""};
    const struct {
        const char* what;
        std::vector<std::u16string> before, after;
        At first, start, end;
        At keptFirst, keptStart, keptEnd;
    } rows[] = {
        {"same text", two, two, {4, 0}, {5, 2}, {5, 6}, {4, 0}, {5, 2}, {5, 6}},
        {"figures grow above",
         two,
         {u"", u"Disk A", u"Read: 1000000", u"", u"Disk B", u"Read: 2", u""},
         {4, 0}, {5, 0}, {5, 7}, {4, 0}, {5, 0}, {5, 7}},
        {"a device added above",
         two,
         {u"", u"Disk 0", u"Read: 9", u"", u"Disk A", u"Read: 1", u"", u"Disk B", u"Read: 2", u""},
         {4, 0}, {5, 1}, {5, 3}, {7, 0}, {8, 1}, {8, 3}},
        {"a device removed above",
         two,
         {u"", u"Disk B", u"Read: 2", u""},
         {4, 0}, {5, 1}, {5, 3}, {1, 0}, {2, 1}, {2, 3}},
        {"a device added between the ends of the selection",
         two,
         {u"", u"Disk A", u"Read: 1", u"", u"Disk Z", u"Read: 0", u"", u"Disk B", u"Read: 2", u""},
         {0, 0}, {2, 0}, {5, 4}, {0, 0}, {2, 0}, {8, 4}},
        // An idle figure that two devices shared until one of them got busy names neither.
        {"a shared figure changes in the reader's device",
         {u"", u"Disk B", u"Queue: 0", u"", u"Disk C", u"Queue: 0", u"Rate: 5"},
         {u"", u"Disk B", u"Queue: 0", u"", u"Disk C", u"Queue: 3", u"Rate: 6"},
         {4, 0}, {6, 2}, {6, 2}, {4, 0}, {6, 2}, {6, 2}},
        {"a figure line shrinks under the selection",
         two,
         {u"", u"Disk A", u"Read: 1", u"", u"Disk B", u"R", u""},
         {4, 0}, {5, 3}, {5, 6}, {4, 0}, {5, 1}, {5, 1}},
        {"the ends swap places",
         two,
         {u"", u"Disk B", u"Read: 2", u"", u"Disk A", u"Read: 1", u""},
         {0, 0}, {2, 0}, {5, 0}, {0, 0}, {5, 0}, {5, 0}},
        {"no line to follow: the same line, within the text",
         {u"x", u"x", u"x", u"x"},
         {u"x", u"x"},
         {3, 0}, {2, 1}, {3, 1}, {1, 0}, {1, 1}, {1, 1}},
        {"everything gone", two, {u""}, {4, 0}, {5, 1}, {5, 3}, {0, 0}, {0, 0}, {0, 0}},
        {"from an empty box", {u""}, two, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}},
    };
    for (const auto& row : rows) {
        const SummaryPlace place{Offset(row.before, row.first), Offset(row.before, row.start),
                                 Offset(row.before, row.end)};
        const SummaryPlace expected{Offset(row.after, row.keptFirst), Offset(row.after, row.keptStart),
                                    Offset(row.after, row.keptEnd)};
        EXPECT_EQ(KeepSummaryPlace(Join(row.before), Join(row.after), place), expected) << row.what;
    }
}

TEST(SummaryPlace, APositionInsideALineBreakOrPastTheEndStaysInTheText) {
    const std::u16string before = u"\r\nDisk A\r\nRead: 1\r\n", after = u"\r\nDisk A\r\nRead: 22\r\n";
    // The "\n" of "Disk A"'s break, and a place beyond a text that has since been replaced.
    const SummaryPlace kept = KeepSummaryPlace(before, after, {9, 9, 500});
    EXPECT_EQ(kept, (SummaryPlace{8, 8, after.size()}));
}

}  // namespace
}  // namespace lumora
