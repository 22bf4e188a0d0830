#include "scene3d/DepthBuffer.h"

#include <algorithm>

float depthBuffer[kDepthBufferEntries];

void clearDepth() { std::fill_n(depthBuffer, kDepthBufferEntries, kDepthCleared); }
