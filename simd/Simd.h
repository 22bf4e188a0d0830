// The SIMD targets the pixel kernels are compiled for, and which one runs.
//
// Every kernel of pixel/PixelOps.h is compiled once per instruction set (Google Highway: baseline,
// SSSE3, SSE4, AVX2 and AVX-512 on x86-64; NEON on ARM) and the best one the processor has is chosen at
// the first call. Each gives the same bits as the plain reference forms; tests check that on every target
// the machine runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The targets compiled in that this processor supports, best first (Highway target bits).
std::vector<int64_t> simdTargets();
// Restricts the choice to one target of simdTargets() (0 lifts the restriction); for tests.
void forceSimdTarget(int64_t target);
std::string simdTargetName(int64_t target);
// The name of the target the kernels run on now, e.g. "AVX2".
std::string activeSimdTarget();
