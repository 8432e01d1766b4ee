#include "indicators/tray_notify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumora {
namespace {

const char* Name(TrayIcon icon) {
    switch (icon) {
        case TrayIcon::App: return "app";
        case TrayIcon::IdleLamp: return "idle";
        case TrayIcon::ActiveLamp: return "active";
    }
    return "?";
}

// Keeps what a real notification area would show: nothing, or the icon of the last accepted
// add or modify.
struct FakeShell : NotifyIconShell {
    bool Add(TrayIcon icon) override {
        calls.push_back(std::string("add ") + Name(icon));
        if (refuseAdd) return false;
        shown = Name(icon);
        return true;
    }
    bool SetVersion() override {
        calls.push_back("version");
        return !refuseVersion;
    }
    bool Modify(TrayIcon icon) override {
        calls.push_back(std::string("modify ") + Name(icon));
        if (refuseModifies > 0) return --refuseModifies, false;
        if (!shown.empty()) shown = Name(icon);
        return true;
    }
    bool Delete() override {
        calls.push_back("delete");
        shown.clear();
        return true;
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    std::string shown;
    bool refuseAdd = false;
    bool refuseVersion = false;
    int refuseModifies = 0;
};

using Calls = std::vector<std::string>;

struct TrayTest : ::testing::Test {
    int32_t useTrayLed = 1;
    FakeShell shell;
    TrayNotify tray{useTrayLed};
    void SetUp() override { tray.Attach(&shell); }

    // One update tick: the lamps' states, or none at all when the tick ends before sampling.
    void Tick(const std::vector<uint32_t>& states) {
        tray.BeginTick();
        for (uint32_t state : states) tray.AddActivity(state);
        tray.EndTick();
    }
};

TEST_F(TrayTest, AddShowsTheIconOnceAndRemoveTakesAwayOnlyWhatWasShown) {
    struct Row {
        const char* name;
        int32_t useTrayLed;
        bool refuseAdd, refuseVersion;
        Calls add;
        bool shown;
        Calls remove;
    };
    const Row rows[] = {
        {"program icon", 0, false, false, {"add app", "version"}, true, {"delete"}},
        {"idle lamp", 1, false, false, {"add app", "version", "modify idle"}, true, {"delete"}},
        {"add refused, and asked again", 1, true, false, {"add app", "add app"}, false, {}},
        // Kept without version 3, so that it is still deleted at exit rather than stranded.
        {"version refused", 1, false, true, {"add app", "version", "modify idle"}, true, {"delete"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeShell fake;
        fake.refuseAdd = row.refuseAdd;
        fake.refuseVersion = row.refuseVersion;
        useTrayLed = row.useTrayLed;
        TrayNotify subject{useTrayLed};
        subject.Attach(&fake);
        subject.AddActivity(0x10001);  // without an icon it is not kept: the lamp starts idle
        subject.AddIcon();
        subject.AddIcon();
        EXPECT_EQ(fake.Take(), row.add);
        EXPECT_EQ(subject.IsIconShown(), row.shown);
        subject.RemoveIcon();
        subject.RemoveIcon();
        EXPECT_EQ(fake.Take(), row.remove);
        EXPECT_EQ(fake.shown, "");
    }
}

// Each tick must leave the icon a reset followed by an update shows, and tell the shell only
// of a change.
TEST_F(TrayTest, TicksShowTheLampOfTheirActivityAndSendOnlyChanges) {
    struct Step {
        int32_t useTrayLed;
        std::vector<uint32_t> states;
        const char* shown;
        Calls calls;
    };
    const Step steps[] = {
        {1, {0, 0}, "idle", {}},
        {1, {0, 0x00010000}, "active", {"modify active"}},  // reads alone are activity too
        {1, {0x00000100}, "active", {}},                     // and so are writes above the LED's 8 bits
        {1, {}, "idle", {"modify idle"}},                    // a tick that ends before sampling
        {1, {}, "idle", {}},
        {0, {1, 2}, "app", {"modify app"}},
        {0, {0}, "app", {}},
        {1, {3}, "active", {"modify active"}},
        {1, {0}, "idle", {"modify idle"}},
    };
    tray.AddIcon();
    shell.Take();
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        useTrayLed = step.useTrayLed;
        Tick(step.states);
        EXPECT_EQ(shell.shown, step.shown);
        EXPECT_EQ(shell.Take(), step.calls);
    }
}

TEST_F(TrayTest, ARefusedModifyIsSentAgainAtTheNextTick) {
    tray.AddIcon();
    shell.Take();
    shell.refuseModifies = 2;
    Tick({1});
    Tick({1});
    Tick({1});
    Tick({1});
    EXPECT_EQ(shell.Take(), (Calls{"modify active", "modify active", "modify active"}));
    EXPECT_EQ(shell.shown, "active");
}

// The options page switches the lamp off between ticks and expects the program icon at once.
TEST_F(TrayTest, ResetShowsTheProgramIconAtOnceWhenTheLampIsSwitchedOff) {
    tray.AddIcon();
    Tick({1});
    shell.Take();
    useTrayLed = 0;
    tray.ResetActivity();
    tray.ResetActivity();
    EXPECT_EQ(shell.Take(), Calls{"modify app"});
    EXPECT_EQ(shell.shown, "app");
}

TEST_F(TrayTest, ANewTaskbarGetsTheIconTheUserWants) {
    struct Row {
        const char* name;
        bool add, refuseFirstAdd, remove;
        Calls calls;
        const char* shown;
    };
    const Row rows[] = {
        {"shown", true, false, false, {"add app", "version", "modify active"}, "active"},
        // Without an icon the tick kept no activity: idle until the next tick.
        {"refused by the old taskbar", true, true, false, {"add app", "version", "modify idle"}, "idle"},
        {"removed", true, false, true, {}, ""},
        {"never added", false, false, false, {}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeShell fake;
        useTrayLed = 1;
        TrayNotify subject{useTrayLed};
        subject.Attach(&fake);
        fake.refuseAdd = row.refuseFirstAdd;
        if (row.add) subject.AddIcon();
        if (row.remove) subject.RemoveIcon();
        fake.refuseAdd = false;
        subject.BeginTick();
        subject.AddActivity(1);
        subject.EndTick();
        fake.Take();
        fake.shown.clear();  // the old taskbar went away with its icons
        subject.OnTaskbarCreated();
        EXPECT_EQ(fake.Take(), row.calls);
        EXPECT_EQ(fake.shown, row.shown);
        subject.RemoveIcon();
    }
}

}  // namespace
}  // namespace lumora
