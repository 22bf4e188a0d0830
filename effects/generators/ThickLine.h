// drawThickLine: a floating-point line stepper with a penW x penH rectangular pen, shared by the spectrum
// bars, the random walk and the sticks.
//
// End points are first pulled into a fixed 512 x 384 layout, each coordinate alone: negative becomes 0;
// x + penW >= 511 becomes 511 - penW; y + penH >= 383 becomes 384 - penH (so x = 600 with pen 1 is 510,
// a pen of height 1 ending at row 382 moves to 383). Then the rows (|slope| <= 1) or the columns
// (|slope| >= 1, both at exactly 45 degrees) are stepped with a float error term: the start point is
// covered, the end point is not, a single point draws nothing. Pixels outside W x H are skipped.
#pragma once

#include <cstdint>

void drawThickLine(uint32_t* pixels, int x0, int y0, int x1, int y1, uint32_t colour, int W, int H, int penW,
                   int penH);
