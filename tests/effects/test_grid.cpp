#include <gtest/gtest.h>

#include <cmath>

#include "effects/generators/FX_GridExpander.h"
#include "effects/generators/GridRenderers.h"
#include "platform/MessageBox.h"
#include "support/EffectHarness.h"

namespace {

// A 256 x 256 test texture: texel (u, v) holds u in blue and v in green, so a read names its texel.
PixelArray addressTexture() {
    PixelArray t(256, 256);
    for (uint32_t v = 0; v < 256; ++v)
        for (uint32_t u = 0; u < 256; ++u) t.pixels[v * 256 + u] = 0xFF000000u | 0x00400000u | v << 8 | u;
    return t;
}

}  // namespace

TEST(GridRenderers, BlocksInterpolateTexelsAndWrap) {
    const PixelArray tex = addressTexture();
    PixelArray frame(16, 8);
    drawGridBlock(GridBlend::Copy, frame.pixels, 16, 0, 0, 5, 9, 5, 9, 5, 9, 5, 9, tex.pixels);
    drawGridBlock(GridBlend::Copy, frame.pixels, 16, 8, 0, 0, 0, 8, 0, 0, 0, 8, 0, tex.pixels);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(frame.pixels[y * 16 + x], tex.pixels[9 * 256 + 5]);          // one texel over the block
            ASSERT_EQ(frame.pixels[y * 16 + 8 + x] & 0xFFFF, uint32_t(x)) << x;  // one texel per pixel
        }

    drawGridBlock(GridBlend::Copy, frame.pixels, 16, 0, 0, 300, -1, 300, -1, 300, -1, 300, -1, tex.pixels);
    EXPECT_EQ(frame.pixels[0] & 0xFFFF, uint32_t(255 << 8 | 44));  // column 300 -> 44, row -1 -> 255
    EXPECT_EQ(frame.pixels[0] >> 24, 0xFFu);                       // the copy keeps the top byte
}

TEST(GridRenderers, SpansDarkenAndTrianglesTileTheCellOnce) {
    const PixelArray tex = addressTexture();
    PixelArray frame(16, 16);
    frame.fill(0);
    drawShadedSpan(GridBlend::Copy, frame.pixels, 16, 0, 4, 0, 10, 14, 3, 3, 0, 0, tex.pixels);
    EXPECT_EQ(frame.pixels[0], 0x0040030Au);  // k = 0: the texel's colour, top byte 0
    EXPECT_EQ(frame.pixels[3], 0x0040030Du);
    EXPECT_EQ(frame.pixels[4], 0u);           // the span ends before xb
    drawShadedSpan(GridBlend::Copy, frame.pixels, 16, 0, 4, 1, 10, 14, 3, 3, 255 << 16, 255 << 16, tex.pixels);
    EXPECT_EQ(frame.pixels[16], 0u);  // k = 255: black

    frame.fill(0);  // a triangle on one row: nothing at all
    drawShadedTriangle(GridBlend::Add, frame.pixels, 16, {0, 3, 0, 0, 0}, {9, 3, 0, 0, 0}, {4, 3, 0, 0, 0}, tex.pixels);
    EXPECT_EQ(firstOther(frame, 0), -1);

    // The two triangles of a cell, added over black with texel (1, 0): every pixel exactly once.
    PixelArray one(256, 256);
    one.fill(0x00000001);
    const ShadedVertex A{0, 0, 0, 0, 0}, B{8, 0, 0, 0, 0}, C{0, 8, 0, 0, 0}, D{8, 8, 0, 0, 0};
    drawShadedTriangle(GridBlend::Add, frame.pixels, 16, A, C, D, one.pixels);
    drawShadedTriangle(GridBlend::Add, frame.pixels, 16, A, B, D, one.pixels);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(frame.pixels[y * 16 + x], (x < 8 && y < 8) ? 1u : 0u) << x << "," << y;
}

TEST(GridExpander, GridSizesModesAndPlainScroll) {
    FX_GridExpander fx(512, 384, 16);
    EXPECT_EQ(fx.gridWidth * 100 + fx.gridHeight, 6549);  // 65 x 49 nodes: 64 x 48 cells cover the frame
    fx.setTimeWindow(5, 10);
    fx.isActive(5.0f);
    fx.computeNodes();  // tt = 0: u = i, v = j
    EXPECT_FALSE(fx.rayCast);
    EXPECT_EQ(std::pair(fx.node(7, 3).u, fx.node(7, 3).v), std::pair(7.0f, 3.0f));
    EXPECT_EQ(fx.node(64, 48).u, 64.0f);

    FX_GridExpander one(512, 384, 1), three(512, 384, 3);
    for (FX_GridExpander* g : {&one, &three}) {
        g->setPosition(Vector3(10, 20, 30));
        g->setTarget(Vector3(-30, 10, 5));
        g->computeNodes();
    }
    EXPECT_TRUE(three.rayCast);  // 3 acts as 1: the tunnel, never the planes
    for (uint32_t n = 0; n < one.nodeCount; ++n) ASSERT_EQ(std::pair(one.nodes[n].u, one.nodes[n].v), std::pair(three.nodes[n].u, three.nodes[n].v));
}

TEST(GridExpander, TunnelShadeFollowsTheHitDistance) {
    FX_GridExpander fx(512, 384, 1);
    // The centre ray (node 32, 24) turned about y: from the axis it meets the wall at 256 / sin b.
    const double b = std::asin(256.0 / 990.0) * 180.0 / M_PI;
    fx.castTunnel({0, 0, 0}, {0, float(b), 0});
    EXPECT_EQ(fx.node(32, 24).shade, 20.0f);  // trunc(20000 / 990)
    fx.castTunnel({-156, 0, 0}, {0, 90, 0});   // 100 units from the wall, heading straight at it
    EXPECT_EQ(fx.node(32, 24).shade, 63.0f);
    EXPECT_EQ(fx.node(32, 24).v, 256.0f);  // angle pi: the float angle times the float 256 / pi rounds to 256
    fx.castTunnel({0, -156, 0}, {-90, 0, 0});  // straight down: angle -pi/2
    EXPECT_EQ(fx.node(32, 24).v, 128.0f);
    fx.castTunnel({256, 0, 500}, {0, 0, 0});   // on the wall, along it: the hit is at distance 0
    EXPECT_EQ(fx.node(32, 24).shade, 63.0f);
    EXPECT_EQ(fx.node(32, 24).u, 100.0f);
    EXPECT_EQ(fx.node(32, 24).v, 0.0f);

    // From outside the tunnel some rays miss: their nodes keep finite values.
    fx.castTunnel({1000, 0, 0}, {0, 0, 0});
    for (uint32_t n = 0; n < fx.nodeCount; ++n)
        ASSERT_TRUE(std::isfinite(fx.nodes[n].u) && std::isfinite(fx.nodes[n].v) && std::isfinite(fx.nodes[n].shade));
}

TEST(GridExpander, PlanesMirrorTheFloorInTheCeiling) {
    FX_GridExpander fx(512, 384, 2);
    fx.castPlanes({0, 0, 0}, {0, 0, 0});
    for (int j = 0; j < 49; ++j)
        for (int i = 0; i < 65; ++i) {
            ASSERT_EQ(fx.node(i, j).u, fx.node(i, 48 - j).u) << i << "," << j;
            ASSERT_EQ(fx.node(i, j).v, fx.node(i, 48 - j).v);
            ASSERT_EQ(fx.node(i, j).shade, fx.node(i, 48 - j).shade);
        }
    EXPECT_EQ(fx.node(10, 24).u, 0.0f);  // the middle row runs parallel to the planes: left as it was
}

TEST(GridExpander, TheTextureMustBeSetAnd256By256) {
    setMessageBoxesEnabled(false);
    PixelArray frame(512, 384);
    FX_GridExpander none(512, 384, 1);
    EXPECT_EXIT(renderAt(none, frame, 0), ::testing::ExitedWithCode(0), "FX_GridExpander Error!: texture not set!");
    PixelArray small(128, 128);
    PixelArray right(256, 256);
    FX_GridExpander swapped(512, 384, 1);
    swapped.setSourceImage(&right);
    EXPECT_EXIT(
        {
            renderAt(swapped, frame, 0);
            swapped.setSourceImage(&small);  // a later, smaller texture is refused too
            renderAt(swapped, frame, 0);
        },
        ::testing::ExitedWithCode(0), "texture must be 256 x 256, not 128 x 128");
}

// The round tunnel's nodes over the show's camera path against the rule written out on its own: angles in
// degrees times the double 0.017453293, the direction, hit point, angle and its product with 256 / pi
// kept as floats, everything else in double.
TEST(GridExpander, TunnelNodesFollowTheRoundingRuleExactly) {
    FX_GridExpander fx(512, 384, 1);
    fx.addPositionSegment({0, 180, 0, 0, -180, 60000, 84.3f, 99.6f});
    fx.addTargetSegment({-90, 0, 0, 0, 0, -1000, 84.3f, 99.6f});
    const double pi256 = float(256.0 / double(float(M_PI)));
    for (float t = 84.3f; t < 99.6f; t += 0.37f) {
        fx.isActive(t);
        fx.update();
        fx.computeNodes();
        const Vector3 o = fx.position, a = fx.target;
        for (int j = 0; j < 49; ++j)
            for (int i = 0; i < 65; ++i) {
                Vector3 d = FX_GridExpander::rotateEuler({float((i - 32) / 42.0), float((j - 24) / 42.0), 1},
                                                         float(a.x * 0.017453293), float(a.y * 0.017453293),
                                                         float(a.z * 0.017453293));
                d.normalize();
                const double a2 = double(d.x) * d.x + double(d.y) * d.y, b = 2 * (double(o.x) * d.x + double(o.y) * d.y);
                const double c = double(o.x) * o.x + double(o.y) * o.y - 256.0 * 256.0, s = std::sqrt(b * b - 4 * a2 * c);
                const double t1 = (s - b) / (2 * a2 + 1e-8), hit = t1 > 0 ? t1 : (-b - s) / (2 * a2 + 1e-8);
                const float hx = float(o.x + hit * d.x), hy = float(o.y + hit * d.y), hz = float(o.z + hit * d.z);
                const float angle = float(std::atan2(hy, hx)), scaled = float(angle * pi256);
                const GridNode& n = fx.node(i, j);
                ASSERT_EQ(n.u, float(int(std::fabs(hz) * 0.2))) << t << " " << i << "," << j;
                ASSERT_EQ(n.v, float(int(std::fabs(scaled)))) << t << " " << i << "," << j;
                ASSERT_EQ(n.shade, float(int(std::min(63.0, 20000 / hit)))) << t << " " << i << "," << j;
            }
    }
}
