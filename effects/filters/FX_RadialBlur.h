// FX_RadialBlur: a zoom blur of the frame, in place. Walking from the centre outward, each pixel is
// averaged with the pixel `strength` of the way closer to the centre, which was itself already averaged:
// streaks build up along the rays. One walk serves the four quadrants through mirrored writes. The outer
// rows and columns are never written; every written pixel loses its fourth byte.
#pragma once

#include <vector>

#include "timeline/Effect.h"

namespace reference {
// The walk pixel by pixel, in order: what render() must equal.
void radialBlur(uint32_t* pixels, int width, int height, float strength);
}  // namespace reference

class FX_RadialBlur : public Effect {
public:
    // `reserved` has no effect.
    FX_RadialBlur(uint32_t width, uint32_t height, int reserved, float strength);

    void update() override;  // opacity only; not used
    void render() override;

    float strength;  // fraction of the distance to the centre the sample moves inward; 0..1 keeps it inside

private:
    struct Run {
        int begin, end, step;  // columns begin..end - 1 of the right half share the inward step
    };
    std::vector<Run> runs;  // rebuilt each frame in storage reserved once
    std::vector<int32_t> rightRuns, leftRuns;  // the runs as averageRuns triples, likewise
    std::vector<int32_t> columnSource, plan;  // each column's source column, and its vector plan, likewise
};
