#include "indicators/tray_notify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumora {
namespace {

using Calls = std::vector<std::string>;

// Keeps what a real notification area would show: nothing, or the icon of the last accepted
// add or modify. Like the real one it adds no icon it holds already, and changes none it does
// not hold; it refuses the calls named in `refuse`.
struct FakeShell : NotifyIconShell {
    bool Add(TrayIcon icon) override { return Record("add", icon, shown.empty()); }
    bool SetVersion() override {
        calls.push_back("version");
        return refuse.find("version") == std::string::npos;
    }
    bool Modify(TrayIcon icon) override { return Record("modify", icon, !shown.empty()); }
    bool Delete() override {
        calls.push_back("delete");
        shown.clear();
        return true;
    }
    bool Record(const char* call, TrayIcon icon, bool possible) {
        static const char* const names[] = {"app", "idle", "active"};
        calls.push_back(std::string(call) + " " + names[static_cast<int>(icon)]);
        if (!possible || refuse.find(call) != std::string::npos) return false;
        shown = names[static_cast<int>(icon)];
        return true;
    }

    Calls calls;
    std::string shown;
    std::string refuse;
};

// One life of the icon, step by step: after each step the shell shows what a reset followed
// by an update would have shown, and has heard only of what changed or of what it refused.
TEST(TrayNotify, ShowsTheIconTheUserWantsAndTellsTheShellOnlyOfChanges) {
    // The taskbar re-created with its icons gone (the tray end-to-end test has it keep them).
    enum Action { kAdd, kRemove, kTick, kReset, kTaskbarCreated };
    struct Step {
        Action action;
        int32_t useTrayLed;
        std::vector<uint32_t> states;  // of a tick's lamps; none when the tick ends before sampling
        const char* refuse;
        const char* shown;
        Calls calls;
    };
    const Step steps[] = {
        {kTick, 1, {1}, "", "", {}},  // without an icon the activity is not kept: the lamp starts idle
        {kAdd, 1, {}, "add", "", {"add app", "modify idle"}},
        // Kept without version 3, so that it is still deleted at exit rather than stranded.
        {kAdd, 1, {}, "version", "idle", {"add app", "version", "modify idle"}},
        {kAdd, 1, {}, "", "idle", {}},
        {kTick, 1, {0, 0}, "", "idle", {}},
        {kTick, 1, {0, 0x00000100}, "", "active", {"modify active"}},  // writes above the LED's 8 bits too
        {kTick, 1, {}, "", "idle", {"modify idle"}},
        {kTick, 0, {1, 2}, "", "app", {"modify app"}},
        {kTick, 0, {0}, "", "app", {}},
        {kTick, 1, {3}, "modify", "app", {"modify active"}},
        {kTick, 1, {3}, "", "active", {"modify active"}},  // sent again after the refusal
        {kTick, 1, {3}, "", "active", {}},
        {kTaskbarCreated, 1, {}, "", "active", {"add app", "version", "modify active"}},
        {kReset, 0, {}, "", "app", {"modify app"}},  // the options page switches the lamp off: at once
        {kReset, 0, {}, "", "app", {}},
        {kRemove, 0, {}, "", "", {"delete"}},
        {kRemove, 0, {}, "", "", {}},
        {kTaskbarCreated, 0, {}, "", "", {}},
        {kAdd, 0, {}, "add", "", {"add app", "modify app"}},
        {kTaskbarCreated, 0, {}, "", "app", {"add app", "version"}},
    };
    int32_t useTrayLed = 0;
    FakeShell shell;
    TrayNotify tray{useTrayLed};
    tray.Attach(&shell);
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        useTrayLed = step.useTrayLed;
        shell.refuse = step.refuse;
        switch (step.action) {
            case kAdd: tray.AddIcon(); break;
            case kRemove: tray.RemoveIcon(); break;
            case kReset: tray.ResetActivity(); break;
            case kTaskbarCreated:
                shell.shown.clear();  // the old taskbar went away with its icons
                tray.OnTaskbarCreated();
                break;
            case kTick:
                tray.BeginTick();
                for (uint32_t state : step.states) tray.AddActivity(state);
                tray.EndTick();
                break;
        }
        EXPECT_EQ(shell.shown, step.shown);
        EXPECT_EQ(std::exchange(shell.calls, {}), step.calls);
        EXPECT_EQ(tray.IsIconShown(), *step.shown != '\0');
    }
}

}  // namespace
}  // namespace lumora
