// FX_Fractal: the Mandelbrot set round a fixed point, zooming in by 0.85 on every render (the zoom is
// shared by all instances and advances per call, not with time), coloured by iteration count through a
// palette of four ramps. It draws into its own buffer in 512-word rows (points outside the set and
// outside the buffer are left); put FX_ShowBuffer after it to see it.
#pragma once

#include "timeline/Effect.h"

extern double zoomX;  // half the view's width; starts at -1 (the sign mirrors the picture)
extern double zoomY;
extern uint32_t fractalPalette[256];

class FX_Fractal : public Effect {
public:
    FX_Fractal(uint32_t width, uint32_t height) : Effect(width, height) {}

    void update() override {}
    void render() override;
    // Iterations until the orbit of z = c, z^2 + c leaves radius 2: 1..192, 192 inside; 0 for cx >= 4.
    static int iterate(double cx, double cy);
};

void buildFractalPalette();
