#include "app/update_tick.h"

#include <gtest/gtest.h>

#include <vector>

#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

struct Lamp {
    bool shown;
    bool hasSampler;
    ActivityState state;
};

// The lamps of one tick, and its outputs showing what the last EndTick was told since BeginTick.
struct FakeTick final : TickLamps, TickOutputs {
    explicit FakeTick(std::vector<Lamp> l) : lamps(std::move(l)) {}
    bool RefreshSnapshot() override {
        ++snapshots;
        return true;
    }
    size_t Count() override { return lamps.size(); }
    bool IsShown(size_t index) override { return lamps[index].shown; }
    __performance_data* Sampler(size_t index) override { return lamps[index].hasSampler ? &sampler : nullptr; }
    ActivityState Update(size_t index) override {
        sampled.push_back(index);
        return lamps[index].state;
    }
    void BeginTick() override { told = 0; }
    void AddActivity(ActivityState state) override { told |= state; }
    void EndTick() override { shown = told; }

    std::vector<Lamp> lamps;
    testing::StubSampler sampler;
    int snapshots = 0;
    std::vector<size_t> sampled;
    ActivityState told = 0, shown = 0xFF;  // as a busy tick left the LED and the tray
};

TEST(UpdateTick, SamplesEachShownLampOnceFromOneSnapshotAndShowsTheirActivity) {
    const std::vector<Lamp> lamps = {{true, true, 0x00010000}, {false, true, 7}, {true, false, 7}, {true, true, 3}};
    // A failed snapshot leaving the LED and the tray dark is the tray end-to-end test's.
    // The lamps, the snapshots taken, the lamps sampled and the activity shown.
    const std::tuple<std::vector<Lamp>, int, std::vector<size_t>, ActivityState> cases[] = {
        {lamps, 1, {0, 3}, 0x00010003},                    // a hidden lamp or one without a sampler is not sampled
        {{{false, true, 7}, {false, true, 7}}, 0, {}, 0},  // no snapshot while no lamp is shown
    };
    for (const auto& [shownLamps, snapshots, sampled, shown] : cases) {
        FakeTick tick(shownLamps);
        EXPECT_TRUE(RunUpdateTick(tick, &tick));
        EXPECT_EQ(std::tuple(tick.snapshots, tick.sampled, tick.shown), std::tuple(snapshots, sampled, shown));
    }
}

TEST(TrimSchedule, TrimsOnceAboutEveryTenSecondsOfTicksWhateverTheInterval) {
    const std::pair<int32_t, int> cases[] = {{50, 201}, {30, 335}, {1000, 11}, {10000, 2}, {20000, 2}};  // ms, tick
    for (const auto& [intervalMs, first] : cases) {
        TrimSchedule schedule;
        std::vector<int> trims;
        for (int tick = 1; tick <= 3 * first; ++tick) {
            if (schedule.CountTick(intervalMs)) trims.push_back(tick);
        }
        // After each trim the count starts again, so the period stays the same.
        EXPECT_EQ(trims, (std::vector<int>{first, 2 * first, 3 * first})) << "interval " << intervalMs;
    }
    // A broken interval never trims, rather than trimming on every tick.
    TrimSchedule broken;
    for (int tick = 0; tick < 1000; ++tick) EXPECT_FALSE(broken.CountTick(-5));
}

}  // namespace
}  // namespace lumora
