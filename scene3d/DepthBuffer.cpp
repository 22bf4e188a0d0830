#include "scene3d/DepthBuffer.h"

#include <algorithm>

float depthBuffer[kDepthBufferEntries];

namespace {
int markedFirst = 0, markedEnd = kDepthBufferRows;  // rows that may differ from kDepthCleared
}  // namespace

void markDepthRows(int first, int end) {
    first = std::max(first, 0), end = std::min(end, kDepthBufferRows);
    if (first >= end) return;
    markedFirst = std::min(markedFirst, first), markedEnd = std::max(markedEnd, end);
}

void clearDepth() {
    if (markedFirst < markedEnd)
        std::fill(depthBuffer + markedFirst * kDepthBufferWidth, depthBuffer + markedEnd * kDepthBufferWidth, kDepthCleared);
    markedFirst = kDepthBufferRows, markedEnd = 0;
}
