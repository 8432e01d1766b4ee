#include "indicators/keyboard_led.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumora {
namespace {

enum Fault { kNoFault, kNoKbdName, kNoDevice, kNoQuery, kNotNt };

// A keyboard with its driver and key state; each call the LED makes is logged by name.
struct Keyboard {
    Keyboard(uint16_t flags, bool toggled, Fault f = kNoFault) : ledFlags(flags), scrollToggled(toggled), fault(f) {}
    uint16_t ledFlags;
    bool scrollToggled;
    Fault fault;
    std::string calls;

    void Log(const char* call) { calls += calls.empty() ? call : std::string(" ") + call; }
};

struct FakeDevice : KeyboardDevice {
    explicit FakeDevice(Keyboard& k) : keyboard(k) {}
    ~FakeDevice() override { keyboard.Log("close"); }
    bool QueryIndicators(uint16_t& flags) override {
        keyboard.Log("query");
        if (keyboard.fault == kNoQuery) return false;
        flags = keyboard.ledFlags;
        return true;
    }
    bool SetIndicators(uint16_t flags) override {
        keyboard.Log("set");
        keyboard.ledFlags = flags;
        return true;
    }
    Keyboard& keyboard;
};

struct FakePlatform : KeyboardLedPlatform {
    explicit FakePlatform(Keyboard& k) : keyboard(k) {}
    bool IsNtPlatform() override { return keyboard.fault != kNotNt; }
    bool DefineKbdName() override {
        keyboard.Log("define");
        return keyboard.fault != kNoKbdName;
    }
    void RemoveKbdName() override { keyboard.Log("remove"); }
    std::unique_ptr<KeyboardDevice> OpenKbd() override {
        keyboard.Log("open");
        if (keyboard.fault == kNoDevice) return nullptr;
        return std::make_unique<FakeDevice>(keyboard);
    }
    bool IsScrollLockToggled() override { return keyboard.scrollToggled; }
    void PressScrollLock() override {
        keyboard.Log("press");
        keyboard.scrollToggled = !keyboard.scrollToggled;
    }
    Keyboard& keyboard;
};

constexpr KeyboardLedOptions kOff{false, false}, kKeys{true, false}, kDirect{true, true}, kOffDirect{false, true};

void Tick(KeyboardLed& led, const KeyboardLedOptions& options, std::vector<ActivityState> states) {
    led.BeginTick(options);
    for (ActivityState state : states) led.Accumulate(state);
    led.Apply(options);
}

TEST(KeyboardLed, DefinesOpensAndRemovesOnlyWhatItGot) {
    struct Row { Fault fault; const char *atStart, *atExit; };
    for (const Row& row : std::vector<Row>{{kNoFault, "define open", "query set query set remove close"},
                                           {kNoDevice, "define open", "remove"},
                                           {kNoKbdName, "define", ""}}) {
        Keyboard keyboard(0, false, row.fault);
        auto led = std::make_unique<KeyboardLed>(std::make_unique<FakePlatform>(keyboard));
        EXPECT_EQ(keyboard.calls, row.atStart);
        keyboard.calls.clear();
        Tick(*led, kDirect, {1});  // a failed open is not retried
        led.reset();
        EXPECT_EQ(keyboard.calls, row.atExit) << "a \"Kbd\" it did not define is another program's";
    }
}

// Each tick: the states it accumulates, then the LED flags and key state it leaves.
struct Step { std::vector<ActivityState> states; uint16_t ledFlags; bool scrollToggled; };
struct ModeRow { const char* name; Keyboard keyboard; KeyboardLedOptions options; std::vector<Step> ticks; };

TEST(KeyboardLed, EachTickShowsWhetherItSawActivity) {
    for (ModeRow& row : std::vector<ModeRow>{
             {"direct: reading lights, num lock kept", {2, false}, kDirect,
              {{{0x00010000}, 3, false}, {{0}, 2, false}, {{0, 0x80}, 3, false}, {{0x100}, 3, false}}},
             {"direct: a lit LED at start goes dark", {5, false}, kDirect, {{{}, 4, false}}},
             {"direct: no query, no write", {2, false, kNoQuery}, kDirect, {{{1}, 2, false}}},
             {"direct off the NT platform", {2, false, kNotNt}, kDirect, {{{1}, 2, false}}},
             {"direct without a device: never the key", {0, false, kNoDevice}, kDirect, {{{1}, 0, false}}},
             {"keys: on with activity, off without", {2, false}, kKeys,
              {{{0x00010000}, 2, true}, {{0x1}, 2, true}, {{0}, 2, false}, {{0}, 2, false}}},
             {"keys: ScrollLock on at start", {0, true}, kKeys, {{{0}, 0, false}, {{1}, 0, true}}},
             {"off: the user's ScrollLock stays", {1, true}, kOff, {{{1}, 1, true}}},
             {"off in direct mode", {1, false}, kOffDirect, {{{1}, 1, false}}},
         }) {
        Keyboard& keyboard = row.keyboard;
        KeyboardLed led(std::make_unique<FakePlatform>(keyboard));
        for (size_t i = 0; i < row.ticks.size(); ++i) {
            Tick(led, row.options, row.ticks[i].states);
            EXPECT_EQ(keyboard.ledFlags, row.ticks[i].ledFlags) << row.name << ", tick " << i;
            EXPECT_EQ(keyboard.scrollToggled, row.ticks[i].scrollToggled) << row.name << ", tick " << i;
        }
    }
}

TEST(KeyboardLed, ChangedOptionsSwitchOffTheWayTheLastTickLit) {
    struct Row { KeyboardLedOptions lit, then; uint16_t ledFlags; bool scrollToggled; };
    for (const Row& row : std::vector<Row>{{kDirect, kOff, 0, false},
                                           {kKeys, kOff, 0, false},
                                           {kDirect, kOffDirect, 0, false},
                                           {kKeys, kOffDirect, 0, false},
                                           {kKeys, kDirect, 1, false},
                                           {kDirect, kKeys, 0, true}}) {
        Keyboard keyboard(4, false);
        KeyboardLed led(std::make_unique<FakePlatform>(keyboard));
        Tick(led, row.lit, {1});
        Tick(led, row.then, {1});
        const std::string name = std::to_string(row.lit.directAccess) + " then " + std::to_string(row.then.useLed) +
                                 std::to_string(row.then.directAccess);
        EXPECT_EQ(keyboard.ledFlags, 4 | row.ledFlags) << name;
        EXPECT_EQ(keyboard.scrollToggled, row.scrollToggled) << name;
        keyboard.calls.clear();
        Tick(led, row.then, {1});
        if (!row.then.useLed) {
            EXPECT_EQ(keyboard.calls, "") << name << ": a switched-off LED is left alone";
        }
    }
}

}  // namespace
}  // namespace lumora
