// The 3D depth buffer shared by every 3D effect of a frame: 512 x 512 floats of 1/z of the nearest
// fragment drawn (index row * 512 + column; only the first 384 rows are used). Visible points have
// negative z, so a nearer fragment has a smaller 1/z. The timeline clears it once per frame before any
// effect renders.
//
// Whoever writes entries marks their rows (markDepthRows); clearDepth resets the rows marked since the
// last clear, so a frame that drew no 3D clears nothing. Every row starts marked.
#pragma once

#include <cstdint>

constexpr int kDepthBufferWidth = 512;
constexpr int kDepthBufferRows = 512;
constexpr int kDepthBufferEntries = kDepthBufferWidth * kDepthBufferRows;
constexpr float kDepthCleared = 2147483648.0f;  // bit pattern 0x4F000000: farther than anything drawn

extern float depthBuffer[kDepthBufferEntries];

// Rows first .. end - 1 (clipped to the buffer) may hold written entries.
void markDepthRows(int first, int end);
void clearDepth();
