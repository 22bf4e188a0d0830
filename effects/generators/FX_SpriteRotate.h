// FX_SpriteRotate: a placeholder of the library that draws nothing; rotated sprites are FX_Sprite's
// modes 4 to 6.
#pragma once

#include "timeline/Effect.h"

class FX_SpriteRotate : public Effect {
public:
    FX_SpriteRotate(uint32_t width, uint32_t height) : Effect(width, height) {}

    void update() override { updateOpacity(); }
    void render() override {}
};
