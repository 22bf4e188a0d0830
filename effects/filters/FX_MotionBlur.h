// FX_MotionBlur: trails. The frame is averaged half and half with the previous result `passes` times
// (each pass keeps half of the new picture), and the result is kept for the next active frame. The
// history starts black.
#pragma once

#include <memory>

#include "timeline/Effect.h"

class FX_MotionBlur : public Effect {
public:
    FX_MotionBlur(uint32_t width, uint32_t height, int passes);

    void update() override {}
    void render() override;

    std::unique_ptr<uint32_t[]> history;
    int passes;
};

// k passes of P = (P & 0xFEFEFE) / 2 + (h & 0xFEFEFE) / 2 over n words, then h = P; the buffers do not
// overlap. One sweep in SIMD lanes (simd/PixelKernels.cpp).
void motionBlur(uint32_t* P, int n, uint32_t* h, int k);
