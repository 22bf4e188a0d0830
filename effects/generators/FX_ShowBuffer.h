// FX_ShowBuffer: shows another effect's own buffer. Four library effects (FX_2DTunnel, FX_Fractal,
// FX_Lights, FX_Sticks) draw into their own pixel buffer, which the timeline never reads; this effect,
// placed after one of them with the same window, copies (blendMode 0), adds (1) or subtracts (2) that
// buffer over the frame. Every other effect is unaffected.
//
//   FX_Sticks sticks(512, 384);                sticks.setTimeWindow(10, 20);
//   FX_ShowBuffer show(512, 384, &sticks, 1);  show.setTimeWindow(10, 20);
//   timeline.addEffect(&sticks);
//   timeline.addEffect(&show);                 // the sticks' trails are added to the frame
#pragma once

#include "timeline/Effect.h"

class FX_ShowBuffer : public Effect {
public:
    FX_ShowBuffer(uint32_t width, uint32_t height, const Effect* source, int mode);

    void update() override { updateOpacity(); }
    void render() override;

    const Effect* source;  // not owned
};
