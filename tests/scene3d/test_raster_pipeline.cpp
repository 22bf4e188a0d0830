#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "scene3d/DepthBuffer.h"
#include "scene3d/Mesh.h"
#include "scene3d/Raster.h"
#include "scene3d/Scene.h"

namespace {

struct Raster : ::testing::Test {
    void SetUp() override {
        frame.fill(0);
        clearDepth();
        setupShowView();
    }
    int count(uint32_t colour) const {
        int n = 0;
        for (uint32_t i = 0; i < frame.size; ++i) n += frame.pixels[i] == colour;
        return n;
    }
    PixelArray frame{512, 384};
};

RasterCorner corner(float x, float y, float z, float u = 0, float v = 0) { return {x, y, z, u, v}; }

}  // namespace

TEST_F(Raster, OneRowTrianglesDrawNothingAndTheFirstOfEqualDepthsStays) {
    const RasterCorner flat[3] = {corner(10, 5.2f, -10), corner(100, 5.9f, -10), corner(50, 5.5f, -10)};
    fillFlat(frame.pixels, 512, 384, flat, 0x111111);
    EXPECT_EQ(count(0x111111), 0);
    const RasterCorner far[3] = {corner(100, 100, -100), corner(300, 100, -100), corner(200, 300, -100)};
    fillFlat(frame.pixels, 512, 384, far, 0x0000AA);
    EXPECT_GT(count(0x0000AA), 15000);
    fillFlat(frame.pixels, 512, 384, far, 0x00BB00);
    EXPECT_EQ(count(0x00BB00), 0);
}

TEST_F(Raster, HostileCoordinatesNeverWriteOutsideTheFrame) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const RasterCorner cases[][3] = {
        {corner(nan, 0, -1), corner(10, 10, -1), corner(0, 20, -1)},
        {corner(-inf, -inf, -1), corner(inf, 10, -1), corner(0, inf, -1)},
        {corner(-1e30f, -1e30f, -1), corner(1e30f, 10, -1), corner(0, 1e30f, -1)},
        {corner(-5e6f, -5e6f, -1), corner(5e6f, 200, -1), corner(100, 5e6f, -1)},
        {corner(0, 0, 0), corner(100, 0, 0), corner(0, 100, 0)},
    };
    const uint32_t texel = 0x77;
    for (const auto& c : cases) {
        fillFlat(frame.pixels, 512, 384, c, 0x55);
        fillTextured(frame.pixels, 512, 384, c, &texel, 1, 1);
        drawLine(frame.pixels, c[0].sx, c[0].sy, c[1].sx, c[1].sy, 512, 384, 0xFFFFFF);
    }
    // The huge but finite triangle covers the frame; the rest draw nothing.
    EXPECT_GT(count(0x55) + count(0x77), 0);
}

TEST_F(Raster, LinesAreClampedToTheTargetAndPointsDrawNothing) {
    drawLine(frame.pixels, 5, 5, 5, 5, 512, 384, 0xFFFFFF);
    drawLine(frame.pixels, -20, -20, -5, -5, 512, 384, 0xFFFFFF);  // both ends clamp to (0, 0)
    EXPECT_EQ(count(0), int(frame.size));
    drawLine(frame.pixels, 10.5f, 100, 2000, 100, 512, 384, 0xFFFFFF);  // to the clamped end, not clipped
    EXPECT_EQ(frame.pixels[100 * 512 + 200], 0x00FEFEFEu);            // full weight: 255 of 256
    EXPECT_NE(frame.pixels[100 * 512 + 510], 0u);
}

namespace {

// Reference fills and line written from the rule alone: differences, quotients, end positions and
// weights in double, rounded to float only where a value is kept (steps, table entries, running sums).
struct RefFrame {
    std::vector<uint32_t> px = std::vector<uint32_t>(512 * 384, 0);
    std::vector<float> depth = std::vector<float>(512 * 384, 2147483648.0f);
};

void refFill(RefFrame& f, RasterCorner c[3], const uint32_t* tex, int ts) {  // tex null: flat colour 0x123456
    struct E { float x, w, uw, vw; } L[384], R[384];
    for (int r = 0; r < 384; ++r) L[r].x = 512, R[r].x = 0;
    std::stable_sort(c, c + 3, [](const RasterCorner& a, const RasterCorner& b) { return a.sy < b.sy; });
    auto walk = [&](const RasterCorner& a, const RasterCorner& b) {
        const double dy = double(b.sy) - a.sy;
        const float slope = float((double(b.sx) - a.sx) / dy), dw = float((1.0 / b.z - 1.0 / a.z) / dy);
        const float du = float((double(b.u) / b.z - double(a.u) / a.z) / dy);
        const float dv = float((double(b.v) / b.z - double(a.v) / a.z) / dy);
        if (!std::isfinite(slope)) return;
        E e{a.sx, float(1.0 / a.z), float(double(a.u) / a.z), float(double(a.v) / a.z)};
        for (int r = int(a.sy), last = int(dy + int(a.sy)); r <= last; ++r) {
            if (L[r].x > e.x) L[r] = e;
            if (R[r].x < e.x) R[r] = e;
            e.x += slope, e.w += dw, e.uw += du, e.vw += dv;
        }
    };
    walk(c[0], c[1]), walk(c[0], c[2]), walk(c[1], c[2]);
    for (int y = int(c[0].sy); y < int(c[2].sy); ++y) {
        const double span = double(R[y].x) - L[y].x;
        const float dw = span ? float((double(R[y].w) - L[y].w) / span) : 0;
        const float du = span ? float((double(R[y].uw) - L[y].uw) / span) : 0;
        const float dv = span ? float((double(R[y].vw) - L[y].vw) / span) : 0;
        E e = L[y];
        for (int x = int(L[y].x), last = int(span + int(L[y].x)); x <= last; ++x, e.w += dw, e.uw += du, e.vw += dv) {
            const size_t i = size_t(y) * 512 + size_t(x);
            if (!(f.depth[i] > e.w)) continue;
            const float z = 1.0f / e.w, u = e.uw * z, v = e.vw * z;
            f.px[i] = tex ? tex[(int(double(v) * ts) & (ts - 1)) * ts + (int(double(u) * ts) & (ts - 1))] : 0x123456;
            f.depth[i] = e.w;
        }
    }
}

void refLine(RefFrame& f, float x0, float y0, float x1, float y1, uint32_t colour) {  // ends inside the frame
    const bool steep = std::fabs(double(y1) - y0) >= std::fabs(double(x1) - x0);
    double a0 = steep ? y0 : x0, b0 = steep ? x0 : y0, a1 = steep ? y1 : x1, b1 = steep ? x1 : y1;
    if (a0 > a1) std::swap(a0, a1), std::swap(b0, b1);
    const float g = float((b1 - b0) / (a1 - a0));
    auto frac = [](double v) { return v - std::floor(v); };
    auto plot = [&](int major, int minor, double weight) {
        const int64_t i = int64_t(steep ? major : minor) * 512 + (steep ? minor : major);
        if (i < 0 || i >= 512 * 384) return;
        uint32_t out = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const int o = int(f.px[size_t(i)] >> shift & 255), c = int(colour >> shift & 255);
            out |= uint32_t(o + (((c - o) * int(weight)) >> 8)) << shift;
        }
        f.px[size_t(i)] = out;
    };
    float minor = 0;
    int majors[2];
    for (int end = 0; end < 2; ++end) {
        const double a = end ? a1 : a0, b = end ? b1 : b0, aEnd = std::floor(a + 0.5);
        const float bEnd = float(b + g * (aEnd - a));
        const double gap = end ? frac(a + 0.5) : 1 - frac(a + 0.5);
        plot(int(aEnd), int(std::floor(bEnd)), (1 - frac(bEnd)) * gap * 255);
        plot(int(aEnd), int(std::floor(bEnd)) + 1, frac(bEnd) * gap * 255);
        majors[end] = int(aEnd);
        if (!end) minor = bEnd + g;
    }
    for (int m = majors[0] + 1; m < majors[1]; ++m, minor += g) {
        plot(m, int(std::floor(minor)), 255 - int(frac(minor) * 255));
        plot(m, int(std::floor(minor)) + 1, frac(minor) * 255);
    }
}

// A mesh of `faces` copies of one triangle at depth z, its corners given in view space.
Mesh triangleMesh(Vector3 a, Vector3 b, Vector3 c, int faces = 1) {
    Mesh m;
    for (const Vector3& p : {a, b, c}) m.fileVertices.push_back(Vertex(p));
    for (int i = 0; i < faces; ++i) {
        Face f;
        f.a = 0, f.b = 1, f.c = 2, f.edgeAB = f.edgeBC = f.edgeCA = 1;
        m.faces.push_back(f);
    }
    m.resetVertices();
    m.prepareClipping();
    return m;
}

const std::vector<std::unique_ptr<Material>> noMaterials;

}  // namespace

TEST_F(Raster, FillsAndLinesMatchTheDoublePrecisionReferenceBitForBit) {
    std::mt19937 rng(7);
    auto in = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    const uint32_t texels[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    RefFrame ref;
    for (int k = 0; k < 600; ++k) {  // overlapping triangles at near-equal depths: the test decides often
        RasterCorner c[3];
        for (RasterCorner& v : c) v = {in(0, 511), in(0, 383), in(-60, -50), in(-2, 2), in(-2, 2)};
        if (k % 2) fillTextured(frame.pixels, 512, 384, c, texels, 4, 4);
        else fillFlat(frame.pixels, 512, 384, c, 0x123456);
        refFill(ref, c, k % 2 ? texels : nullptr, 4);
    }
    for (size_t i = 0; i < ref.px.size(); ++i) {
        ASSERT_EQ(frame.pixels[i], ref.px[i]) << "pixel " << i;
        ASSERT_EQ(depthBuffer[i], ref.depth[i]) << "depth " << i;  // every stored 1/z, to the bit
    }
    for (int k = 0; k < 20000; ++k) {
        const float x0 = in(0, 511), y0 = in(0, 383), x1 = in(0, 511), y1 = in(0, 383);
        const uint32_t colour = uint32_t(rng()) & 0xFFFFFF;
        drawLine(frame.pixels, x0, y0, x1, y1, 512, 384, colour);
        refLine(ref, x0, y0, x1, y1, colour);
    }
    for (size_t i = 0; i < ref.px.size(); ++i) ASSERT_EQ(frame.pixels[i], ref.px[i]) << "line pixel " << i;
}

TEST_F(Raster, ClippingDropsFacesOutsideAPlaneAndSplitsCrossingOnes) {
    Mesh behind = triangleMesh({0, 0, 5}, {1, 0, 5}, {0, 1, 5});  // behind the eye
    behind.render(frame.pixels, 512, 384, noMaterials);
    EXPECT_EQ(behind.triangleCount, 0u);

    // Crossing the left side plane: a quadrilateral, fanned from its first vertex into two triangles.
    Mesh crossing = triangleMesh({-30, 0, -10}, {5, 0, -10}, {5, 5, -10});
    crossing.render(frame.pixels, 512, 384, noMaterials);
    ASSERT_EQ(crossing.triangleCount, 6u);
    EXPECT_EQ(crossing.triangles[0].position, crossing.triangles[3].position);
    for (size_t i = 0; i < 6; ++i) EXPECT_GE(crossing.triangles[i].position.x, -10.0f * 503 / 2 / 256 - 1e-3f);
}

// Faces wholly inside the view skip the stages and faces clearly outside one plane are dropped; both
// give what the six stages give. Corners exactly on the planes (the eye, z = 1), just off them and far
// away are where a rounded intersection could land on the other side.
TEST_F(Raster, ClippingShortcutsGiveWhatTheStagesGive) {
    std::mt19937 rng(23);
    auto in = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    // A point on side plane p (its distance a few ulps either way), x or y free to cross the others.
    auto onSide = [&](int p) -> Vector3 {
        const Vector3& n = viewFrustum.normal[p];
        const float z = in(-200, -1), free = in(-300, 300);
        return p < 2 ? Vector3{float(-double(n.z) * z / n.x), free, z} : Vector3{free, float(-double(n.z) * z / n.y), z};
    };
    auto corner = [&]() -> Vector3 {
        if (rng() % 5 == 0) return onSide(int(rng() % 4));
        switch (rng() % 8) {
            case 0: return {0, 0, 0};
            case 4: case 5: case 6: case 7: return {in(-5, 5), in(-5, 5), in(-100, -20)};  // well inside
            case 1: return {in(-5, 5), in(-5, 5), 1.0f};
            case 2: return {in(-5, 5), in(-5, 5), std::nextafter(1.0f, rng() % 2 ? 2.0f : 0.0f)};
            case 3: return {in(-1e6f, 1e6f), in(-1e6f, 1e6f), in(-2e4f, 10)};
            default: return {in(-80, 80), in(-60, 60), in(-100, 10)};
        }
    };
    PixelArray plain(512, 384);
    int dropped = 0, inside = 0;
    for (int k = 0; k < 1000; ++k) {
        const int side = int(rng() % 4);
        Mesh fast = k % 2 ? triangleMesh(corner(), corner(), corner()) : triangleMesh(onSide(side), onSide(side), onSide(side));
        Mesh slow = fast;
        slow.clipEveryFace = true;
        frame.fill(0), plain.fill(0);
        clearDepth();
        fast.render(frame.pixels, 512, 384, noMaterials);
        clearDepth();
        slow.render(plain.pixels, 512, 384, noMaterials);
        ASSERT_EQ(fast.triangleCount, slow.triangleCount) << k;
        for (size_t i = 0; i < fast.triangleCount; ++i) {
            const ClipCorner &a = fast.triangles[i], &b = slow.triangles[i];
            ASSERT_TRUE(a.position == b.position && a.u == b.u && a.v == b.v && a.edgeVisible == b.edgeVisible) << k;
        }
        ASSERT_EQ(std::memcmp(frame.pixels, plain.pixels, frame.size * 4), 0) << k;
        dropped += (fast.viewSides[1] & fast.viewSides[3] & fast.viewSides[5]) != 0;
        inside += (fast.viewSides[0] | fast.viewSides[2] | fast.viewSides[4]) == 0;
    }
    EXPECT_GT(dropped, 25) << inside;  // both shortcuts were taken
    EXPECT_GT(inside, 25) << dropped;
}

TEST_F(Raster, BuildUpDrawsTheFacesTheRenderTimeHasReached) {
    Mesh m = triangleMesh({-1, -1, -10}, {1, -1, -10}, {0, 1, -10}, 10);
    m.setRenderMode(-2);
    m.buildRate = 0.5f;
    m.renderTime = 1.9f;  // 0.95 faces: none
    m.render(frame.pixels, 512, 384, noMaterials);
    EXPECT_EQ(m.facesToDraw, 0);
    EXPECT_EQ(count(0), int(frame.size));
    m.renderTime = 9.0f;
    EXPECT_EQ(m.buildCount(), 4);
    m.renderTime = 1000.0f;
    EXPECT_EQ(m.buildCount(), 10);
}

TEST_F(Raster, LightingScalesTheFillColourAndTheRoomLimitsTriangles) {
    Mesh m = triangleMesh({-1, -1, -10}, {1, -1, -10}, {0, 1, -10});
    m.fillColor = 0x00406080;
    m.lighting = 0;
    m.render(frame.pixels, 512, 384, noMaterials);
    EXPECT_EQ(frame.pixels[192 * 512 + 256], 0x00406080u);

    // Screen-space normal of this triangle is (0, 0, 1) or its opposite: I = -0.75 maps to 1.75.
    frame.fill(0);
    clearDepth();
    m.lighting = 1;
    m.render(frame.pixels, 512, 384, noMaterials);
    const uint32_t lit = frame.pixels[192 * 512 + 256];
    EXPECT_TRUE(lit == 0x00700000u + (0xA8 << 8) + 0xE0 || lit == 0x00300000u + (0x48 << 8) + 0x60) << std::hex << lit;

    // 3 vertices give room for 27 corners: 9 of these 20 visible triangles fit, 11 are dropped.
    Mesh crowded = triangleMesh({-1, -1, -10}, {1, -1, -10}, {0, 1, -10}, 20);
    crowded.render(frame.pixels, 512, 384, noMaterials);
    EXPECT_EQ(crowded.triangleCount, 27u);
    EXPECT_EQ(crowded.droppedTriangles, 11u);
}

TEST(SceneRender, WithoutKeyframerOrCameraTheMeshesTumbleInFront) {
    setupShowView();
    Scene scene;
    Mesh& m = scene.addMesh();
    m = triangleMesh({-20, -20, 0}, {20, -20, 0}, {0, 20, 0});
    m.lighting = 0;
    PixelArray frame(512, 384);
    frame.fill(0);
    clearDepth();
    scene.render(frame.pixels, 0.0f);  // no rotation yet: the triangle 144 units ahead, centred
    EXPECT_EQ(frame.pixels[192 * 512 + 256], 0x00FFFFFFu);
    EXPECT_EQ(frame.pixels[10 * 512 + 10], 0u);
}
