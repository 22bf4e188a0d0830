// The zoom smear's rows in SIMD lanes, dispatched at run time like the pixel kernels.
#pragma once

#include <cstdint>

// Taps of one column or row as doubles: the sources are the one before and this one.
struct ZoomWeights {
    const double* column0;  // per column x: the weight of column x - 1, and of column x
    const double* column1;
    const double* row0;     // per row y: the weight of row y - 1, and of row y
    const double* row1;
};

// Rows first .. end - 1 (first >= 1) of the smear of a W-column frame in place, when every column x >= 1
// reads columns x - 1 and x and every row y >= 1 rows y - 1 and y (the frame's own taps). Each pixel is
// the per-pixel walk's, in its order of dependence: a pixel needs its left neighbour and the two above.
// Returns false, having drawn nothing, where the target has fewer than 4 lanes of doubles.
bool zoomRows(uint32_t* P, int W, int first, int end, const ZoomWeights& weights);
