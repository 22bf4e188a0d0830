// The built-in test show: a few colour fills with segments over the 122-second timeline. It is what the
// program plays without a show of its own, and what the tests and benchmarks render.
//
// Stack, bottom to top:
//   base    FX_FillColor copy,     [0, 122): 0x000000 -> 0xFF8C44 over [0, 8), then through a palette
//                                  every 8 s
//   dim     FX_FillColor subtract, [3, 10): constant 0x202020
//   flash   FX_FillColor add,      [4, 6): 0x0000FF -> 0x000000 over [4, 6)
//   pulse   FX_FillColor add,      [12, 122): 0x313131 -> 0x000000 over every whole second
#pragma once

#include <memory>
#include <vector>

#include "timeline/Effect.h"
#include "timeline/Timeline.h"

struct TestShow {
    std::vector<std::unique_ptr<Effect>> effects;  // in stacking order; added to the timeline
};

TestShow buildTestShow(Timeline& timeline);
