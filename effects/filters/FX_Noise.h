// FX_Noise: damages the frame like a bad video signal. Each flag bit switches on one pass; the passes run
// in this fixed order:
//   0x10 vertical scratches      20 columns of random grey, moving with time     (drawn by blendMode)
//   0x20 horizontal noise lines  20 rows of random grey, moving with time        (drawn by blendMode)
//   0x01 colour grain            one random value per pixel, masked by the colour, added
//   0x02 horizontal jitter       each pixel from up to `radius` columns away, in place
//   0x04 vertical jitter         the same up and down
//   0x08 2D jitter               both
//   0x40 swaying bands           48 bands of 8 rows shifted left by a swaying amount
//   0x80 column swap             each column from one up to `amount` columns away
//   0x100 row swap               each row from one up to `amount` rows away (amount 0: down one row)
// Random numbers come from the show's generator, drawn exactly once per pixel, row or column visited, in
// the order above, whatever the blend mode: the look of every later effect depends on that order.
// Scratches and lines assume 512-word rows and 384 rows but never write outside the target; bands and
// swaps work on the 512 x 384 layout of the first 196,608 words, so they run (and draw their numbers) on
// any effect at least that large, and do nothing (drawing no numbers) on a smaller one.
#pragma once

#include <memory>

#include "timeline/Effect.h"

class FX_Noise : public Effect {
public:
    FX_Noise(uint32_t width, uint32_t height, int flags);  // draws 200 random numbers for `streaks`

    void update() override;  // opacity, then the amount segments
    void render() override;

    struct Streak {
        int offset;  // 0 .. width - 1
        float rate;  // -2.0 .. 2.9
    };

    std::unique_ptr<uint32_t[]> scratch;  // copy of the frame for the swaps
    int flags;
    Streak streaks[100];
};
