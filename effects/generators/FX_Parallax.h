// FX_Parallax: writes the frame back mirrored and scrolled. flags bit 0: mirrored top to bottom and
// rolling down k * 500 rows per second; bit 1: mirrored left to right and sliding k * 500 columns per
// second (it replaces the vertical result when both are set); bit 2: k is drawn anew every frame from
// 1..6 (one random number per pass), else 1. Needs the 512 x 384 frame; on another size it draws nothing.
#pragma once

#include <memory>

#include "timeline/Effect.h"

class FX_Parallax : public Effect {
public:
    FX_Parallax(uint32_t width, uint32_t height, uint32_t flags);

    void update() override;  // opacity only; not used
    void render() override;

    uint32_t flags;
    std::unique_ptr<uint32_t[]> scratch;  // with bit 1: the frame as it was before this render
};
