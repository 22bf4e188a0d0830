// FX_VLines: the music spectrum as 512 red bars, one per column, mirrored about the axis between rows 200
// and 201. Column c shows band 76 + trunc(1.5 c); its half-height is trunc(magnitude * 48000) mod 128, so
// a loud band wraps round to a short bar. Columns 291 and up read bands past 511, which stay 0.
#pragma once

#include "timeline/Effect.h"

class FX_VLines : public Effect {
public:
    FX_VLines(uint32_t width, uint32_t height);

    void update() override;  // opacity only; not used
    void render() override;
};
