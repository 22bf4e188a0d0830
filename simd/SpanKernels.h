// Triangle fills in SIMD lanes, dispatched at run time like the pixel kernels.
//
// Both fill rows firstRow .. endRow - 1 (inside the frame's height) between the edges already walked into
// leftEdge and rightEdge, with the depth test and the depth writes of the per-fragment walk, and give its
// bits exactly: same pixels, same stored 1/z. The caller marks the depth rows.
#pragma once

#include <cstddef>
#include <cstdint>

// texels: 2^logWidth x 2^logHeight words, logWidth + logHeight at most 30.
void fillTexturedRows(uint32_t* pixels, int width, int firstRow, int endRow, const uint32_t* texels, int logWidth,
                      int logHeight);
void fillFlatRows(uint32_t* pixels, int width, int firstRow, int endRow, uint32_t color);

// sums[k] for k < n: start, then step added one float addition at a time, written in lanes where the sums
// provably form an exact arithmetic run. sums needs room for n + 64 floats.
void runningSums(float* sums, size_t n, float start, float step);
