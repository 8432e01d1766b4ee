#include "app/update_tick.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace lumora {
namespace {

// Every call of the tick in one journal, so that the order is what the tests compare.
using Journal = std::vector<std::string>;

class JournalSampler final : public __performance_data {
public:
    JournalSampler(Journal& journal, std::string name, bool ready)
        : __performance_data(SamplerContext{}), m_journal(journal), m_name(std::move(name)), m_ready(ready) {}
    ActivityState Update() override { return 0; }
    bool GetStatisticsText(std::u16string&) override { return true; }
    bool Open() override { return true; }
    bool Close() override { return true; }
    bool BeforeUpdate() override {
        m_journal.push_back("before " + m_name);
        return m_ready;
    }
    bool AfterUpdate() override {
        m_journal.push_back("after " + m_name);
        return true;
    }

private:
    Journal& m_journal;
    std::string m_name;
    bool m_ready;
};

struct Lamp {
    std::string name;
    bool shown;
    bool hasSampler;
    bool samplerReady;
    ActivityState state;
};

// The lamps and the outputs of one tick, both writing to the journal.
class JournalTick final : public TickLamps, public TickOutputs {
public:
    JournalTick(Journal& journal, bool snapshot, const std::vector<Lamp>& lamps)
        : m_journal(journal), m_snapshot(snapshot), m_lamps(lamps) {
        for (const Lamp& lamp : lamps) m_samplers.emplace_back(journal, lamp.name, lamp.samplerReady);
    }
    bool RefreshSnapshot() override {
        m_journal.push_back("snapshot");
        return m_snapshot;
    }
    size_t Count() override { return m_lamps.size(); }
    bool IsShown(size_t index) override { return m_lamps[index].shown; }
    __performance_data* Sampler(size_t index) override { return m_lamps[index].hasSampler ? &m_samplers[index] : nullptr; }
    ActivityState Update(size_t index) override {
        m_journal.push_back("update " + m_lamps[index].name);
        return m_lamps[index].state;
    }
    void BeginTick() override { m_journal.push_back("outputs begin"); }
    void AddActivity(ActivityState state) override { m_journal.push_back("outputs add " + std::to_string(state)); }
    void EndTick() override { m_journal.push_back("outputs end"); }

private:
    Journal& m_journal;
    bool m_snapshot;
    std::vector<Lamp> m_lamps;
    std::deque<JournalSampler> m_samplers;  // samplers cannot move
};

TEST(UpdateTick, SamplesShownLampsInDeviceOrderBetweenTheOutputsAndEndsEarlyWithoutASnapshot) {
    const std::vector<Lamp> lamps = {
        {"drive0", true, true, true, 0x00010000},
        {"hidden", false, true, true, 7},
        {"nosampler", true, false, true, 7},
        {"notready", true, true, false, 7},
        {"volume", true, true, true, 0x00020003},
    };
    const struct {
        const char* what;
        bool snapshot;
        bool result;
        Journal expected;
    } cases[] = {
        {"a tick samples each ready, shown lamp once, outputs around them", true, true,
         {"outputs begin", "snapshot", "before drive0", "update drive0", "after drive0", "outputs add 65536",
          "before notready", "before volume", "update volume", "after volume", "outputs add 131075", "outputs end"}},
        {"a failed snapshot samples nothing and still ends the outputs' tick", false, false,
         {"outputs begin", "snapshot", "outputs end"}},
    };
    for (const auto& c : cases) {
        Journal journal;
        JournalTick tick(journal, c.snapshot, lamps);
        EXPECT_EQ(RunUpdateTick(tick, &tick), c.result) << c.what;
        EXPECT_EQ(journal, c.expected) << c.what;
    }
}

// With nothing on screen the snapshot would be read for nobody: the tick's one real cost.
TEST(UpdateTick, TakesNoSnapshotWhileNoLampIsShownAndLeavesTheOutputsIdle) {
    Journal journal;
    JournalTick tick(journal, true, {{"hidden0", false, true, true, 7}, {"hidden1", false, true, true, 7}});
    EXPECT_TRUE(RunUpdateTick(tick, &tick));
    EXPECT_EQ(journal, (Journal{"outputs begin", "outputs end"}));
}

TEST(TrimSchedule, TrimsOnceAboutEveryTenSecondsOfTicksWhateverTheInterval) {
    const struct {
        int32_t intervalMs;
        int firstTrimTick;  // 1-based
    } cases[] = {{50, 201}, {30, 335}, {1000, 11}, {10000, 2}, {20000, 2}};
    for (const auto& c : cases) {
        TrimSchedule schedule;
        std::vector<int> trims;
        for (int tick = 1; tick <= 3 * c.firstTrimTick; ++tick) {
            if (schedule.CountTick(c.intervalMs)) trims.push_back(tick);
        }
        // After each trim the count starts again, so the period stays the same.
        EXPECT_EQ(trims, (std::vector<int>{c.firstTrimTick, 2 * c.firstTrimTick, 3 * c.firstTrimTick}))
            << "interval " << c.intervalMs;
    }
    // A broken interval never trims, rather than trimming on every tick.
    TrimSchedule broken;
    for (int tick = 0; tick < 1000; ++tick) EXPECT_FALSE(broken.CountTick(-5));
}

}  // namespace
}  // namespace lumora
