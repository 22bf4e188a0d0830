#include "effects/generators/FX_Brownian.h"

#include <algorithm>
#include <cmath>

#include "effects/generators/ThickLine.h"
#include "pixel/Numeric.h"
#include "pixel/Random.h"

FX_Brownian::FX_Brownian(uint32_t width, uint32_t height) : Effect(width, height) {
    walk.points.reset(new Vector3[size_t(walk.pointCount)]);
    walk.steps.reset(new Vector3[size_t(walk.pointCount)]);
    generate();
}

void FX_Brownian::generate() {
    const int N = walk.pointCount;
    const float s = float(std::sqrt(1.0 / N));
    auto step = [s] { return (showRand() & 1) ? s : -s; };
    for (int k = 0; k < N; ++k) {
        const float x = step(), y = step(), z = step();
        walk.steps[size_t(k)] = {x, y, z};
    }
    Vector3 sum = walk.steps[0];
    walk.points[0] = sum;
    for (int k = 1; k < N; ++k) {
        sum = sum + walk.steps[size_t(k)];
        walk.points[size_t(k)] = sum;
    }
    std::copy_n(walk.points.get(), N, walk.steps.get());
}

void FX_Brownian::render() {
    generate();
    if (targetFrame->size < kFrameWords) return;
    uint32_t* p = targetFrame->getPixels();
    const int N = walk.pointCount;
    auto screen = [&](int k, int& sx, int& sy) {
        Vector3& point = walk.points[size_t(k)];
        point.z = float(double(walk.steps[size_t(k)].z) * 8.0 - 10.0);
        const Vector2 s = point.project();
        sx = std::clamp(truncToInt(double(s.x)), 0, 511);
        sy = std::clamp(truncToInt(double(s.y)), 0, 383);
    };
    for (int k = 0; k + 1 < N; ++k) {
        int x0, y0, x1, y1;
        screen(k, x0, y0);
        screen(k + 1, x1, y1);
        const uint32_t colour = uint32_t(truncToInt(double(k) / N * 255.0)) << 16;
        drawThickLine(p, x0, y0, x1, y1, colour, 512, 384, 3, 3);
    }
}
