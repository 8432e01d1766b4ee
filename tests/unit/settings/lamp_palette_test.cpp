#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "settings/settings_store.h"

namespace lumora {
namespace {

using Vector = std::array<double, 3>;
using Matrix = std::array<Vector, 3>;

Vector Times(const Matrix& m, const Vector& v) {
    Vector out{};
    for (size_t row = 0; row < 3; ++row) out[row] = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
    return out;
}

// A COLORREF as the vision (a matrix on linear RGB) sees it, in CIELAB under D65.
Vector SeenAsLab(uint32_t colorref, const Matrix& vision) {
    Vector rgb{};
    for (size_t i = 0; i < 3; ++i) {
        const double c = ((colorref >> (8 * i)) & 0xFF) / 255.0;
        rgb[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    rgb = Times(vision, rgb);
    for (double& c : rgb) c = std::clamp(c, 0.0, 1.0);
    const Vector xyz = Times({{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}}, rgb);
    constexpr Vector kWhite{0.95047, 1.0, 1.08883};
    Vector f{};
    for (size_t i = 0; i < 3; ++i) {
        const double t = xyz[i] / kWhite[i];
        f[i] = t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    }
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

// The CIE76 colour distance between two colours as the vision sees them.
double Distance(uint32_t a, uint32_t b, const Matrix& vision) {
    const Vector x = SeenAsLab(a, vision), y = SeenAsLab(b, vision);
    return std::hypot(x[0] - y[0], x[1] - y[1], x[2] - y[2]);
}

// Machado, Oliveira and Fernandes (2009) at severity 1.0.
constexpr Matrix kNormal{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
constexpr Matrix kDeuteranopia{
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}};
const std::pair<const char*, Matrix> kVisions[] = {
    {"normal", kNormal},
    {"protanopia", {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}}},
    {"deuteranopia", kDeuteranopia},
    {"tritanopia", {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}}},
};

TEST(LampPalette, TheColourBlindSafeColoursStayApartForEveryKindOfColourBlindness) {
    // What the preset is for: a deuteranope sees the default green and red come together, closer
    // than any two colours of the preset under any of the simulations.
    const double defaultPair = Distance(kDefaultPalette.read, kDefaultPalette.write, kDeuteranopia);
    EXPECT_LT(defaultPair * 4, Distance(kDefaultPalette.read, kDefaultPalette.write, kNormal));
    const LampPalette& safe = kColourBlindSafePalette;
    for (const auto& [name, vision] : kVisions) {
        const double closest = std::min({Distance(safe.read, safe.write, vision), Distance(safe.read, safe.off, vision),
                                         Distance(safe.write, safe.off, vision)});
        EXPECT_GT(closest, 30.0) << name;
        EXPECT_LT(defaultPair, closest) << name;
    }
}

}  // namespace
}  // namespace lumora
