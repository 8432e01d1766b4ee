#include "indicators/lamp_rescue.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

namespace lumora {

std::ostream& operator<<(std::ostream& out, const LampPlace& place) { return out << place.x << ", " << place.y; }

namespace {

IndicatorRect Lamp(int32_t x, int32_t y) { return {x, y, x + 16, y + 12}; }

// 1024 x 768 with a 40-pixel taskbar along the bottom.
const MonitorArea kSmall{{0, 0, 1024, 768}, {0, 0, 1024, 728}};
// A primary 1920 x 1080 with the taskbar on its left, and a 1280 x 720 monitor on its right,
// top edges aligned, so that below the second one lies a strip that no monitor shows.
const MonitorArea kPrimary{{0, 0, 1920, 1080}, {48, 0, 1920, 1080}};
const MonitorArea kRight{{1920, 0, 3200, 720}, {1920, 0, 3200, 720}};
const MonitorArea kLeft{{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}};
// Another 1024 x 768, with a gap of 1024 pixels between kSmall and it, and the same as the primary.
const MonitorArea kFar{{2048, 0, 3072, 768}, {2048, 0, 3072, 768}};
const MonitorArea kFarPrimary{kFar.bounds, kFar.work, true};

TEST(LampRescue, OnlyALampThatNoMonitorShowsMovesIntoTheNearestWorkArea) {
    const std::tuple<const char*, IndicatorRect, std::vector<MonitorArea>, std::optional<LampPlace>> rows[] = {
        {"on screen", Lamp(100, 100), {kSmall}, std::nullopt},
        {"one pixel in the corner shows", Lamp(1023, 767), {kSmall}, std::nullopt},
        {"behind the taskbar is still on the monitor", Lamp(500, 740), {kSmall}, std::nullopt},
        {"touching the right edge from outside shows nothing", Lamp(1024, 300), {kSmall}, LampPlace{1008, 300}},
        {"touching the bottom edge from outside", Lamp(300, 768), {kSmall}, LampPlace{300, 716}},
        {"touching the primary's edge", Lamp(2032, 300), {kFarPrimary, kSmall}, LampPlace{2048, 300}},
        {"far away: above the taskbar, not under it", Lamp(5000, 5000), {kSmall}, LampPlace{1008, 716}},
        {"above and to the left", Lamp(-100, -50), {kSmall}, LampPlace{0, 0}},
        {"left of the primary: beside its taskbar", Lamp(-100, 500), {kPrimary}, LampPlace{48, 500}},
        {"nearest is the monitor on the left", Lamp(-2000, 500), {kPrimary, kLeft}, LampPlace{-1280, 500}},
        {"nearest is the primary", Lamp(3000, 1200), {kPrimary, kLeft}, LampPlace{1904, 1068}},
        // 580 pixels right of the primary, 180 below the second monitor.
        {"in the strip below the second monitor", Lamp(2500, 900), {kPrimary, kRight}, LampPlace{2500, 708}},
        {"halfway between two monitors: the first listed", Lamp(1528, 100), {kSmall, kFar}, LampPlace{1008, 100}},
        {"halfway: the primary, listed second", Lamp(1528, 100), {kSmall, kFarPrimary}, LampPlace{2048, 100}},
        {"no monitor known", Lamp(5000, 5000), {}, std::nullopt},
        {"a work area taken whole by bars", Lamp(5000, 5000), {{{0, 0, 1024, 768}, {0, 0, 0, 0}}}, LampPlace{1008, 756}},
        {"wider than the work area: its left edge shows", {-50, 10, 1100, 22}, {kSmall}, std::nullopt},
        {"wider and lost", {2000, 10, 3200, 22}, {kSmall}, LampPlace{0, 10}},
        {"the file's extremes do not overflow", {INT32_MAX - 16, INT32_MIN, INT32_MAX, INT32_MIN + 12}, {kSmall},
         LampPlace{1008, 0}},
    };
    for (const auto& [what, lamp, monitors, expected] : rows) EXPECT_EQ(RescueLamp(lamp, monitors), expected) << what;
}

}  // namespace
}  // namespace lumora
