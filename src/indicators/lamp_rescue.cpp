#include "indicators/lamp_rescue.h"

#include <algorithm>

namespace lumora {
namespace {

// Stored positions come from a file anyone can edit: the edges are worked out in 64 bits.
struct Span {
    int64_t low = 0, high = 0;  // [low, high)
};

Span Horizontal(const IndicatorRect& rect) { return {rect.left, std::max<int64_t>(rect.left, rect.right)}; }
Span Vertical(const IndicatorRect& rect) { return {rect.top, std::max<int64_t>(rect.top, rect.bottom)}; }

bool Overlap(Span a, Span b) { return a.low < b.high && b.low < a.high; }

// 0 when the spans overlap or touch.
double Gap(Span a, Span b) { return static_cast<double>(std::max<int64_t>({0, b.low - a.high, a.low - b.high})); }

bool IsEmpty(const IndicatorRect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

// The lamp moves no further than it must; one larger than the area keeps its top-left corner,
// where the label is, in view.
int32_t Clamp(Span lamp, Span area) {
    const int64_t size = lamp.high - lamp.low;
    return static_cast<int32_t>(std::max(area.low, std::min(lamp.low, area.high - size)));
}

}  // namespace

std::optional<LampPlace> RescueLamp(const IndicatorRect& lamp, const std::vector<MonitorArea>& monitors) {
    const Span across = Horizontal(lamp), down = Vertical(lamp);
    const MonitorArea* nearest = nullptr;
    double nearestDistance = 0;
    for (const MonitorArea& monitor : monitors) {
        const Span monitorAcross = Horizontal(monitor.bounds), monitorDown = Vertical(monitor.bounds);
        if (Overlap(across, monitorAcross) && Overlap(down, monitorDown)) return std::nullopt;
        const double gapAcross = Gap(across, monitorAcross), gapDown = Gap(down, monitorDown);
        const double distance = gapAcross * gapAcross + gapDown * gapDown;
        const bool nearer = !nearest || distance < nearestDistance;
        const bool primaryBreaksTie = nearest && distance == nearestDistance && monitor.primary && !nearest->primary;
        if (nearer || primaryBreaksTie) nearest = &monitor, nearestDistance = distance;
    }
    if (!nearest) return std::nullopt;
    // A monitor whose whole area is taken by bars still has its own pixels to show the lamp on.
    const IndicatorRect& area = IsEmpty(nearest->work) ? nearest->bounds : nearest->work;
    const LampPlace place{Clamp(across, Horizontal(area)), Clamp(down, Vertical(area))};
    if (place == LampPlace{lamp.left, lamp.top}) return std::nullopt;
    return place;
}

}  // namespace lumora
