#include <gtest/gtest.h>

#include "scene3d/Matrix.h"
#include "scene3d/Scene.h"

namespace {
void expectNear(const Vector3& v, float x, float y, float z, float eps = 1e-5f) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

KeyframeNode line(std::initializer_list<std::pair<int, float>> keys) {
    KeyframeNode n;
    for (auto [frame, x] : keys) n.positionKeys.push_back({frame, SplineParams(), {x, 2 * x, 0}, {}, {}});
    n.computeTangents();
    return n;
}
}  // namespace

TEST(Matrix, RowVectorConventionAppliesTheLeftFactorFirst) {
    Matrix r, t, axes, e, x;
    r.rotationZ(1.5707964f);
    expectNear(r.transformPoint(1, 0, 0), 0, 1, 0);
    t.translation(1, 2, 3);
    t.multiply(r);  // translate, then rotate
    expectNear(t.transformPoint(0, 0, 0), -2, 1, 3);
    expectNear(t.transformDirection(1, 0, 0), 0, 1, 0);
    axes.fromAxes({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, 3});
    expectNear(axes.transformPoint(0, 0, 0), -1, -2, -3);
    e.eulerRotation(0.3f, 0, 0);
    x.rotationX(0.3f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(e.m[i], x.m[i]);
}

TEST(Matrix, LookAtPutsTheTargetStraightAheadAtNegativeZ) {
    Matrix m;
    m.lookAt({0, -10, 0}, {0, 0, 0}, {0, 0, -1}, 0);
    expectNear(m.transformPoint(0, 0, 0), 0, 0, -10);
    m.lookAt({3, 4, 5}, {-1, 2, 7}, {0, 0, -1}, 0);
    const Vector3 p = m.transformPoint(-1, 2, 7);
    expectNear(p, 0, 0, -Vector3(4, 2, -2).length());
    const Vector2 s = p.project();
    EXPECT_NEAR(s.x, 256, 1e-3);
    EXPECT_NEAR(s.y, 192, 1e-3);
}

TEST(Keyframer, DefaultKeysGiveKochanekBartelsTangentsAndHitTheirKeys) {
    KeyframeNode n = line({{0, 0}, {10, 4}, {20, 12}, {30, 30}});
    // 0.5 x 0.5 x 0.75 x (P(i+1) - P(i-1)) for tension, continuity and bias 0.5, even spacing.
    expectNear(n.positionKeys[1].incoming, 0.1875f * 12, 0.1875f * 24, 0);
    expectNear(n.positionKeys[2].incoming, 0.1875f * 26, 0.1875f * 52, 0);
    for (const PositionKey& k : n.positionKeys) EXPECT_EQ(n.evaluatePosition(float(k.frame)), k.value) << k.frame;
    EXPECT_EQ(n.evaluatePosition(-5), n.positionKeys[0].value);  // before the first key
    EXPECT_EQ(n.evaluatePosition(99), n.positionKeys[3].value);  // after the last, without looping
    const float mid = n.evaluatePosition(15).x;
    EXPECT_TRUE(mid > 4 && mid < 12) << mid;
    EXPECT_EQ(n.evaluatePosition(5).x, n.evaluatePosition(5).x);  // the cached segment restarts cleanly

    KeyframeNode two = line({{0, 0}, {10, 10}});
    expectNear(two.positionKeys[0].outgoing, 5, 10, 0);  // (P1 - P0) x (1 - t)

    KeyframeNode loop = line({{10, 0}, {20, 5}, {30, 10}});
    loop.loopMode = 3;
    loop.computeTangents();
    // Looping: frame mod (last - first) + first, so 30 becomes 20 and 45 becomes 25.
    EXPECT_EQ(loop.evaluatePosition(30), loop.positionKeys[1].value);
    EXPECT_EQ(loop.evaluatePosition(45), loop.evaluatePosition(25));
    loop.loopMode = 0;
    EXPECT_EQ(loop.evaluatePosition(30), loop.positionKeys[2].value);
}

TEST(Keyframer, EaseBendsTheStartAndEnd) {
    EXPECT_EQ(ease(0.3f, 0, 0), 0.3f);
    EXPECT_FLOAT_EQ(ease(0.5f, 0.5f, 0.5f), 0.5f);
    // Up to u = 1 - b the line k (2u - a), beyond it u (2 - (k / b) u), with k = 1 / (2 - a - b).
    EXPECT_FLOAT_EQ(ease(0.4f, 0.0f, 0.5f), float(1.0 / 1.5 * 0.8));
    EXPECT_FLOAT_EQ(ease(0.9f, 0.0f, 0.5f), 0.72f);
    EXPECT_FLOAT_EQ(ease(0.9f, 2.0f, 2.0f), ease(0.9f, 0.5f, 0.5f));  // sums above 1 are normalised
}
