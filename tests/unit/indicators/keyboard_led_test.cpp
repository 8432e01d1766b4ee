#include "indicators/keyboard_led.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumora {
namespace {

enum Fault { kNoFault, kNoKbdName, kNoDevice, kNoQuery, kNotNt };

// What the system holds: the keyboard's LED flags and key state, the "Kbd" name (with
// kNoKbdName it is another program's already) and the handles open on it.
struct Keyboard {
    uint16_t ledFlags;
    bool scrollToggled;
    Fault fault = kNoFault;
    bool kbdName = false;
    int openHandles = 0;
};

struct FakeDevice : KeyboardDevice {
    explicit FakeDevice(Keyboard& k) : keyboard(k) { ++keyboard.openHandles; }
    ~FakeDevice() override { --keyboard.openHandles; }
    bool QueryIndicators(uint16_t& flags) override {
        flags = keyboard.ledFlags;
        return keyboard.fault != kNoQuery;
    }
    bool SetIndicators(uint16_t flags) override {
        keyboard.ledFlags = flags;
        return true;
    }
    Keyboard& keyboard;
};

struct FakePlatform : KeyboardLedPlatform {
    explicit FakePlatform(Keyboard& k) : keyboard(k) {}
    bool IsNtPlatform() override { return keyboard.fault != kNotNt; }
    bool DefineKbdName() override {
        keyboard.kbdName = true;  // by this program, or already by another one
        return keyboard.fault != kNoKbdName;
    }
    void RemoveKbdName() override { keyboard.kbdName = false; }
    std::unique_ptr<KeyboardDevice> OpenKbd() override {
        if (keyboard.fault == kNoDevice || !keyboard.kbdName) return nullptr;
        return std::make_unique<FakeDevice>(keyboard);
    }
    bool IsScrollLockToggled() override { return keyboard.scrollToggled; }
    void PressScrollLock() override { keyboard.scrollToggled = !keyboard.scrollToggled; }
    Keyboard& keyboard;
};

constexpr KeyboardLedOptions kOff{false, false}, kKeys{true, false}, kDirect{true, true}, kOffDirect{false, true};

void Tick(KeyboardLed& led, const KeyboardLedOptions& options, std::vector<ActivityState> states) {
    led.BeginTick(options);
    for (ActivityState state : states) led.Accumulate(state);
    led.Apply(options);
}

// Each tick: the options, the states it accumulates, then the LED flags and key state it leaves.
struct Step { KeyboardLedOptions options; std::vector<ActivityState> states; uint16_t ledFlags; bool scrollToggled; };

TEST(KeyboardLed, EachTickShowsWhetherItSawActivityAndChangedOptionsSwitchOffTheWayItLit) {
    // A fault of the device or of the "Kbd" name holds at start-up only: a failed open is not retried.
    struct Row { const char* name; Keyboard keyboard; std::vector<Step> ticks; };
    for (Row& row : std::vector<Row>{
             {"direct: reading lights, num lock kept", {2, false},
              {{kDirect, {0x00010000}, 3, false}, {kDirect, {0}, 2, false}, {kDirect, {0, 0x80}, 3, false},
               {kDirect, {0x100}, 3, false}}},
             {"direct: a lit LED at start goes dark", {5, false}, {{kDirect, {}, 4, false}}},
             {"direct: no query, no write", {2, false, kNoQuery}, {{kDirect, {1}, 2, false}}},
             {"direct off the NT platform", {2, false, kNotNt}, {{kDirect, {1}, 2, false}}},
             {"direct, no device: never the key instead", {0, false, kNoDevice}, {{kDirect, {1}, 0, false}}},
             {"direct, another program's Kbd name", {0, false, kNoKbdName}, {{kDirect, {1}, 0, false}}},
             {"keys: ScrollLock on at start", {0, true}, {{kKeys, {0}, 0, false}, {kKeys, {1}, 0, true}}},
             {"direct, then off", {4, false}, {{kDirect, {1}, 5, false}, {kOff, {1}, 4, false}}},
             {"keys, then off in direct mode", {4, false}, {{kKeys, {1}, 4, true}, {kOffDirect, {1}, 4, false}}},
             {"direct, then keys", {4, false}, {{kDirect, {1}, 5, false}, {kKeys, {1}, 4, true}}},
         }) {
        Keyboard& keyboard = row.keyboard;
        const Fault fault = keyboard.fault;
        auto led = std::make_unique<KeyboardLed>(std::make_unique<FakePlatform>(keyboard));
        if (fault != kNoQuery) keyboard.fault = kNoFault;
        for (size_t i = 0; i < row.ticks.size(); ++i) {
            Tick(*led, row.ticks[i].options, row.ticks[i].states);
            EXPECT_EQ(keyboard.ledFlags, row.ticks[i].ledFlags) << row.name << ", tick " << i;
            EXPECT_EQ(keyboard.scrollToggled, row.ticks[i].scrollToggled) << row.name << ", tick " << i;
        }
        const KeyboardLedOptions last = row.ticks.back().options;
        if (!last.useLed) {
            // Switched off, the LED and the key are the user's: what the user sets stays.
            keyboard.ledFlags ^= 1;
            keyboard.scrollToggled = !keyboard.scrollToggled;
            const Keyboard set = keyboard;
            Tick(*led, last, {1});
            EXPECT_EQ(keyboard.ledFlags, set.ledFlags) << row.name;
            EXPECT_EQ(keyboard.scrollToggled, set.scrollToggled) << row.name;
        }
        led.reset();
        EXPECT_EQ(keyboard.kbdName, fault == kNoKbdName) << row.name << ": only the name it defined is removed";
        EXPECT_EQ(keyboard.openHandles, 0) << row.name;
    }
}

}  // namespace
}  // namespace lumora
