#include "indicators/lamp_scale.h"

#include "indicators/lamp_paint.h"
#include "support/dpi_scale.h"

namespace lumora {
namespace {

uint32_t (*g_startDpiQuery)() = nullptr;

}  // namespace

LampMeasures LampMeasuresAt(uint32_t dpi) {
    LampMeasures measures;
    measures.width = ScaleForDpi(16, dpi);
    measures.height = ScaleForDpi(12, dpi);
    measures.labelHeight = ScaleForDpi(12, dpi);
    measures.labelIndent = ScaleForDpi(1, dpi);
    measures.gridStep = ScaleForDpi(kLampGridStep, dpi);
    measures.tipWidth = ScaleForDpi(1000, dpi);
    return measures;
}

void SetStartDpiQuery(uint32_t (*query)()) { g_startDpiQuery = query; }

uint32_t LampStartDpi() {
    const uint32_t dpi = g_startDpiQuery ? g_startDpiQuery() : 0;
    return dpi ? dpi : kDefaultDpi;
}

LampPlace LampStartPlace(size_t place) {
    return PlaceInLampRow(place, static_cast<int32_t>(place) * LampMeasuresAt(LampStartDpi()).width);
}

}  // namespace lumora
