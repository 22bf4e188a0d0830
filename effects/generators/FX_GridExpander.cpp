#include "effects/generators/FX_GridExpander.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "effects/generators/GridRenderers.h"
#include "pixel/Numeric.h"
#include "simd/AngleKernels.h"
#include "simd/GridKernels.h"
#include "simd/RayKernels.h"
#include "platform/MessageBox.h"

namespace {
constexpr double kPiF = 3.1415927410125732;      // single-precision pi
constexpr double kDegree = 0.017453293;           // pi / 180
}  // namespace

FX_GridExpander::FX_GridExpander(uint32_t width, uint32_t height, uint32_t flags)
    : Effect(width, height),
      modeFlags(flags),
      gridWidth(int(width / 8 + 1)),
      gridHeight(int(height / 8 + 1)),
      nodeCount(uint32_t(gridWidth) * uint32_t(gridHeight)) {
    nodes.reset(new GridNode[nodeCount]());
    rayX.reset(new float[size_t(gridWidth)]);
    rayHit.reset(new uint8_t[nodeCount]);
    rayT.reset(new double[nodeCount]);
    rayHitX.reset(new float[nodeCount]);
    rayHitY.reset(new float[nodeCount]);
    rayHitZ.reset(new float[nodeCount]);
    hitNode.reset(new uint32_t[nodeCount]);
    shadedNodes.reset(new ShadedVertex[nodeCount]);
    hitY.reset(new double[nodeCount]);
    hitX.reset(new double[nodeCount]);
    hitAngle.reset(new float[nodeCount]);
    sourceImage = nullptr;
    blendMode = 1;
}

void FX_GridExpander::update() {
    updateOpacity();
    applySegments(positionSegments, time, [&](const Vector3& v) { position = v; });
    applySegments(targetSegments, time, [&](const Vector3& v) { target = v; });
}

namespace {
// cos and sin in double, rounded to float. Out of line on purpose: written inline in the rotation's
// initialisers, GCC 12.2 at -O2 and -O3 fused each cosine and sine into one sincos and then used the
// unrounded doubles where the floats were read (the coefficients came out up to 12 float ulps off).
[[gnu::noinline]] float cosine(float a) { return float(std::cos(double(a))); }
[[gnu::noinline]] float sine(float a) { return float(std::sin(double(a))); }
}  // namespace

FX_GridExpander::EulerRotation::EulerRotation(float a, float b, float c)
    : ca(cosine(a)), sa(sine(a)), cb(cosine(b)), sb(sine(b)), cc(cosine(c)), sc(sine(c)),
      m{double(cc) * cb, double(sc) * cb, sb, double(sb) * sa * cc - double(sc) * ca,
        double(cc) * ca + double(sc) * sb * sa, double(sa) * cb, double(sc) * sa + double(cc) * sb * ca,
        double(sc) * sb * ca - double(cc) * sa, double(ca) * cb} {}

Vector3 FX_GridExpander::rotateEuler(const Vector3& v, float a, float b, float c) { return EulerRotation(a, b, c)(v); }

Vector3 FX_GridExpander::EulerRotation::operator()(const Vector3& v) const {
    return {float(v.x * m[0] + v.y * m[1] - v.z * m[2]), float(v.x * m[3] + v.y * m[4] + v.z * m[5]),
            float(v.x * m[6] + v.y * m[7] + v.z * m[8])};
}

void FX_GridExpander::resetGrid(float du, float dv) {
    for (int j = 0; j < gridHeight; ++j)
        for (int i = 0; i < gridWidth; ++i) {
            GridNode& n = node(i, j);
            n.u = float(double(i) + du);
            n.v = float(double(j) + dv);
            n.shade = 63.0f;
        }
}

void FX_GridExpander::ripple(float f, float p, float a) {
    const double cx = gridWidth * 0.5, cy = gridHeight * 0.5;
    for (int j = 0; j < gridHeight; ++j)
        for (int i = 0; i < gridWidth; ++i) {
            const double dx = i - cx, dy = j - cy;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double w = (std::cos(r * f - p) + 1.0) * a;
            GridNode& n = node(i, j);
            n.u = float(n.u + w * dx);
            n.v = float(n.v + w * dy);
        }
}

void FX_GridExpander::wave(float fu, float fv, float pu, float pv, float au, float av) {
    for (int j = 0; j < gridHeight; ++j)
        for (int i = 0; i < gridWidth; ++i) {
            GridNode& n = node(i, j);
            n.u = float(n.u + std::cos(i * double(fu) + pu) * au);
            n.v = float(n.v + std::sin(j * double(fv) + pv) * av);
        }
}

void FX_GridExpander::swirl(float s) {
    rayCast = false;
    const double sd = s;
    const Vector2 centres[3] = {
        {float((std::sin(7.5 * sd) * 78 + 140) * 0.22), float((std::cos(5.9 * sd) * 38 + 120) * 0.2)},
        {float((std::sin(7.2 * sd) * 52 + 140) * 0.22), float((std::cos(6.2 * sd) * 38 + 120) * 0.2)},
        {float((std::sin(5.9 * sd) * 70 + 140) * 0.22), float((std::cos(8.6 * sd) * 22 + 120) * 0.2)},
    };
    for (int j = 0; j < gridHeight; ++j)
        for (int i = 0; i < gridWidth; ++i) {
            GridNode& n = node(i, j);
            for (int k = 0; k < 3; ++k) {
                const double dx = double(centres[k].x) - i, dy = double(centres[k].y) - j;
                const double a = sd + 8.0 * k;
                const float f = float(6.0 / (dx * dx + dy * dy));
                if (!std::isfinite(f)) continue;  // a centre exactly on the node
                n.u = float(n.u + (std::cos(a) * dx - std::sin(a) * dy) * f * 256.0);
                n.v = float(n.v + (dy * std::cos(a) + dx * std::sin(a)) * f * 256.0);
            }
            n.shade = 6.0f;
        }
}

template <class Hit>
void FX_GridExpander::castRays(const Vector3& o, const Vector3& angles, Hit hit) {
    rayCast = true;
    const int hw = gridWidth / 2, hh = gridHeight / 2;
    const float ax = float(angles.x * kDegree), ay = float(angles.y * kDegree), az = float(angles.z * kDegree);
    const EulerRotation rotate(ax, ay, az);  // the same for every ray
    for (int j = 0; j < gridHeight; ++j)
        for (int i = 0; i < gridWidth; ++i) {
            const Vector3 d0(float(double(i - hw) / fovDivisor), float(double(j - hh) / fovDivisor), 1.0f);
            Vector3 d = rotate(d0);
            d.normalize();
            float u, v, shade;
            if (!hit(o, d, u, v, shade)) continue;
            if (!std::isfinite(u) || !std::isfinite(v) || !std::isfinite(shade)) continue;
            GridNode& n = node(i, j);
            n.u = u, n.v = v, n.shade = shade;
        }
}

namespace {

// trunc(min(63, k / t)); a hit at distance 0 (of either sign) is as bright as a near one.
float hitShade(double k, double t) { return t == 0.0 ? 63.0f : float(truncToInt(std::min(63.0, k / t))); }

// The angle and its product with 256 / pi are kept as floats: v is 256 at angle pi, 128 at -pi/2.
float tunnelV(float angle) {
    const float scaled = float(double(angle) * double(float(256.0 / kPiF)));
    return float(truncToInt(std::fabs(double(scaled))));
}

}  // namespace

void FX_GridExpander::castTunnelRays(const Vector3& o, const Vector3& angles, bool squareish) {
    rayCast = true;
    const int hw = gridWidth / 2, hh = gridHeight / 2;
    const float ax = float(angles.x * kDegree), ay = float(angles.y * kDegree), az = float(angles.z * kDegree);
    const EulerRotation rotate(ax, ay, az);
    TunnelCast cast;
    cast.origin[0] = o.x, cast.origin[1] = o.y, cast.origin[2] = o.z;
    std::copy(rotate.m, rotate.m + 9, cast.rotation);
    cast.c = double(o.x) * o.x + double(o.y) * o.y - double(tunnelRadius) * tunnelRadius;
    cast.squareish = squareish;
    for (int i = 0; i < gridWidth; ++i) rayX[size_t(i)] = float(double(i - hw) / fovDivisor);
    // The hits row by row in lanes; a hit sets u and the shade now and v from its angle below.
    std::fill(rayHit.get(), rayHit.get() + nodeCount, uint8_t(0));
    size_t hits = 0;
    for (int j = 0; j < gridHeight; ++j) {
        const size_t row = size_t(j) * size_t(gridWidth);
        tunnelHits(cast, rayX.get(), float(double(j - hh) / fovDivisor), size_t(gridWidth),
                   {rayHit.get() + row, rayT.get() + row, rayHitX.get() + row, rayHitY.get() + row, rayHitZ.get() + row});
        for (size_t k = row; k < row + size_t(gridWidth); ++k) {
            if (!rayHit[k]) continue;
            GridNode& n = nodes[k];
            n.u = float(truncToInt(std::fabs(double(rayHitZ[k])) * 0.2));
            n.shade = hitShade(20000.0, rayT[k]);
            hitNode[hits] = uint32_t(k), hitY[hits] = rayHitY[k], hitX[hits] = rayHitX[k];
            ++hits;
        }
    }
    atan2Floats(hitY.get(), hitX.get(), hitAngle.get(), hits);
    for (size_t k = 0; k < hits; ++k) nodes[hitNode[k]].v = tunnelV(hitAngle[k]);
}

void FX_GridExpander::castTunnel(const Vector3& origin, const Vector3& angles) { castTunnelRays(origin, angles, false); }

void FX_GridExpander::castSquareTunnel(const Vector3& origin, const Vector3& angles) {
    castTunnelRays(origin, angles, true);
}

void FX_GridExpander::castPlanes(const Vector3& origin, const Vector3& angles) {
    castRays(origin, angles, [this](const Vector3& o, const Vector3& d, float& u, float& v, float& shade) {
        const double p = d.y > 0 ? planeDistance : -planeDistance;
        const double t = (p - o.y) / d.y;
        if (!std::isfinite(t)) return false;
        const Vector3 h(float(o.x + t * d.x), float(o.y + t * d.y), float(o.z + t * d.z));
        u = float(truncToInt(0.3 * h.x));
        v = float(truncToInt(0.3 * h.z));
        shade = hitShade(50000.0, t);
        return true;
    });
}

void FX_GridExpander::checkTexture() {
    if (!sourceImage) reportFatal("texture not set!", "FX_GridExpander Error!", "");
    if (sourceImage->width != 256 || sourceImage->height != 256)
        reportFatal("texture must be 256 x 256, not " + std::to_string(sourceImage->width) + " x " +
                        std::to_string(sourceImage->height),
                    "FX_GridExpander Error!", "the grid reads its texture as 256 rows of 256 texels");
}

void FX_GridExpander::computeNodes() {
    const float tt = float((double(time) - startTime) * 0.25);
    planeDistance = 256;
    tunnelRadius = 256;
    fovDivisor = 42.0f;
    if (modeFlags & 1)
        castTunnel(position, target);
    else if (modeFlags & 2)
        castPlanes(position, target);
    else if (modeFlags & 4)
        castSquareTunnel(position, target);
    else if (modeFlags & 8) {
        resetGrid(float(400.0 * std::cos(3.0 * tt)), float(300.0 * std::sin(3.2 * tt)));
        swirl(float(3.0 * tt));
    }
    if (modeFlags & 16) resetGrid(float(100.0 * tt), 0.0f);
    if (modeFlags & 32) ripple(0.4f, float(6.0 * tt), 0.8f);
    if (modeFlags & 64) wave(0.1f, 0.1f, float(14.0 * tt), float(10.0 * tt), 64.0f, 32.0f);
}

void FX_GridExpander::drawCells() {
    uint32_t* dst = targetFrame->getPixels();
    const uint32_t* tex = sourceImage->getPixels();
    const GridBlend blend = gridBlendFor(blendMode);
    const int W = int(width);
    if (!rayCast) {
        for (int j = 0; j + 1 < gridHeight; ++j)
            for (int i = 0; i + 1 < gridWidth; ++i) {
                const GridNode &A = node(i, j), &B = node(i + 1, j), &C = node(i, j + 1), &D = node(i + 1, j + 1);
                drawGridBlock(blend, dst, W, 8 * i, 8 * j, A.u, A.v, B.u, B.v, C.u, C.v, D.u, D.v, tex);
            }
        return;
    }
    // Each node's texture position and darkening, once (four cells share it).
    for (uint32_t n = 0; n < nodeCount; ++n) {
        const GridNode& g = nodes[n];
        shadedNodes[n] = {0, 0, truncToInt(double(g.u)), truncToInt(double(g.v)),
                          255 - std::clamp(truncToInt(32.0 * double(g.shade)), 0, 255)};
    }
    for (int j = 0; j + 1 < gridHeight; ++j) {
        // The nodes stand at the cells' corners and the row's cells end inside the frame (8 (gridWidth - 1)
        // <= W): a whole row of cells in one call where the vectors allow it, else each cell's triangles
        // A-C-D and A-B-D walked in that order.
        const ShadedVertex* top = &shadedNodes[size_t(j) * size_t(gridWidth)];
        if (shadedCellRow(blend, dst + size_t(8 * j) * size_t(W), W, top, top + gridWidth, gridWidth - 1, tex)) continue;
        for (int i = 0; i + 1 < gridWidth; ++i) {
            auto vertex = [&](int ni, int nj) {
                ShadedVertex v = shadedNodes[size_t(nj) * size_t(gridWidth) + size_t(ni)];
                v.x = 8 * ni, v.y = 8 * nj;
                return v;
            };
            const ShadedVertex A = vertex(i, j), B = vertex(i + 1, j), C = vertex(i, j + 1), D = vertex(i + 1, j + 1);
            drawShadedTriangle(blend, dst, W, A, C, D, tex);
            drawShadedTriangle(blend, dst, W, A, B, D, tex);
        }
    }
}

void FX_GridExpander::render() {
    checkTexture();
    if (targetFrame->size < size) return;
    computeNodes();
    drawCells();
}
