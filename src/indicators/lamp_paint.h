#pragma once
// The arithmetic of a lamp that needs no window: which colour goes where, the grid a drag
// snaps to, and the colours of the flash that helps a user find the lamps.

#include <cstdint>

#include "sampling/sampler.h"

namespace lumora {

enum class LampColour { Idle, Read, Write };

// The lamp is filled with `upper` from its top down to `split` and with `lower` from there
// to its bottom; a lamp of one colour has its split at the bottom.
struct LampFill {
    LampColour upper = LampColour::Idle;
    LampColour lower = LampColour::Idle;
    int32_t split = 0;
};

// Reading and writing together share the height in proportion to the two halves of the state.
LampFill PlanLampFill(ActivityState state, int32_t top, int32_t bottom);

// A drag with Ctrl held moves in whole steps of this many pixels at 96 DPI, toward zero; the
// step grows with the lamp (see lamp_scale.h).
inline constexpr int32_t kLampGridStep = 8;
int32_t SnapToGrid(int32_t delta, int32_t step);

// A flash helps the user find a lamp: every new lamp shows one, and "Where are my indicators?"
// starts one again. It runs this many steps, counted down to 0.
inline constexpr int32_t kFlashSteps = 100;

// Flash colour (0x00BBGGRR) after the countdown has reached `remaining` (kFlashSteps - 1 ... 0):
// round the hue circle backwards to red halfway, and forwards again below.
uint32_t FlashColour(int32_t remaining);

}  // namespace lumora
