// FX_Brownian: a fresh 3D random walk every frame: 4,096 points, each one step of +-1/64 on every axis
// (one random number per axis, odd for +), seen in perspective and joined by 3 x 3 thick lines ramping from
// black to red. Needs the 512 x 384 frame. A point projected from z exactly 0 is pinned to the edge.
#pragma once

#include <memory>

#include "pixel/Vector.h"
#include "timeline/Effect.h"

class FX_Brownian : public Effect {
public:
    FX_Brownian(uint32_t width, uint32_t height);

    void update() override { updateOpacity(); }
    void render() override;
    void generate();

    struct Walk {
        std::unique_ptr<Vector3[]> points;
        std::unique_ptr<Vector3[]> steps;  // the steps, then a copy of the positions
        int pointCount = 4096;
    } walk;
};
