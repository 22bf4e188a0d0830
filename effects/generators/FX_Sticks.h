// FX_Sticks: sixteen swinging sticks (a thick line and a thin highlight beside it), mirrored into the four
// quadrants in alternating colour pairs, never erased, so they paint trails. The swing advances by 0.005
// per render and is shared by all instances. It draws into its own buffer: put FX_ShowBuffer after it.
#pragma once

#include <array>

#include "timeline/Effect.h"

extern float sticksPhase;

struct StickLine {
    int x0, y0, x1, y1;
    uint32_t colour;
    int penW, penH;
};

// The eight lines of stick k (0..15) at swing P on a W x H picture, in drawing order.
std::array<StickLine, 8> stickLines(int k, float P, int W, int H);

class FX_Sticks : public Effect {
public:
    FX_Sticks(uint32_t width, uint32_t height) : Effect(width, height) {}

    void update() override {}
    void render() override;
};
