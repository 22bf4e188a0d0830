// FX_Lights: its texture as one large glow that grows, shrinks and fades in a slow pulse (the zoomed
// sprite drawing, centred at (120, -60)). The pulse advances by 0.1 per render and is shared by all
// instances. It draws into its own buffer, cleared each render: put FX_ShowBuffer after it to see it.
#pragma once

#include "timeline/Effect.h"

extern float lightPhase;

class FX_Lights : public Effect {
public:
    FX_Lights(uint32_t width, uint32_t height) : Effect(width, height) {}

    void update() override {}
    void render() override;
};
