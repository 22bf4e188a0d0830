// FX_2DTunnel: a fixed table-driven tunnel. At construction every pixel gets an angle round the centre
// (a turn is 256) and a depth growing slowly with the distance; each render looks the texture up at
// (angle - 26, depth + 42). It draws into its own buffer: put FX_ShowBuffer after it to see it. The
// texture (sourceImage) must be at least 256 x 256; a smaller one draws nothing.
#pragma once

#include <memory>

#include "timeline/Effect.h"

class FX_2DTunnel : public Effect {
public:
    FX_2DTunnel(uint32_t width, uint32_t height);

    void update() override {}
    void render() override;

    std::unique_ptr<uint8_t[]> angleTable, depthTable;
};
