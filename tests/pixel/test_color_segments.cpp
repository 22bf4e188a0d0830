#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pixel/Color.h"
#include "pixel/EffectFunctions.h"
#include "pixel/LinearInterpolator.h"

TEST(Color, PacksByTruncationWithoutClampingAndIgnoresTheTopByteOfAWord) {
    EXPECT_EQ(Color(1.0f, 0.5f, 0.0f).toPixel(), 0x00FF7F00u);  // 127 = trunc(127.5)
    // 256/255 of red spills into the fourth byte; a negative blue spills into everything.
    EXPECT_EQ(Color(256.0f / 255.0f, 0, 0).toPixel(), 0x01000000u);
    EXPECT_EQ(Color(0, 0, -1.0f / 255.0f).toPixel(), 0xFFFFFFFFu);
    Color c;
    c.setPacked(0xFF0F0F0Au);
    EXPECT_EQ(c.r, float(15.0 / 255.0));
    EXPECT_EQ(c.packed, 0xFF0F0F0Au);
    EXPECT_EQ(c.toPixel(), 0x000F0F0Au);
    for (uint32_t v = 0; v < 256; ++v) ASSERT_EQ(Color(v * 0x010101u).toPixel(), v * 0x010101u) << v;
}

TEST(Segment, WindowIsHalfOpenAndNaNMatchesNothing) {
    LinearInterpolator<float> s(10.0f, 20.0f, 1.0f, 3.0f);
    EXPECT_TRUE(s.contains(1.0f));
    EXPECT_EQ(s.evaluate(1.0f), 10.0f);  // from, exactly
    EXPECT_EQ(s.evaluate(2.0f), 15.0f);
    EXPECT_FALSE(s.contains(3.0f));
    EXPECT_FALSE(s.contains(std::numeric_limits<float>::quiet_NaN()));

    LinearInterpolator<float> instant(0.0f, 1.0f, 5.0f, 5.0f);
    EXPECT_FALSE(instant.contains(5.0f));
}

TEST(Segment, IntSegmentsTruncateTowardZero) {
    LinearInterpolator<int> fadeIn(0, 255, 0.0f, 1.0f);
    EXPECT_EQ(fadeIn.evaluate(0.5f), 127);
    EXPECT_EQ(fadeIn.evaluate(std::nextafter(1.0f, 0.0f)), 254);

    LinearInterpolator<int> fadeOut(64, 0, 1.75f, 2.5f);
    EXPECT_EQ(fadeOut.evaluate(2.125f), 32);
    // The last 1/64 of the window holds values in (0, 1), truncated to 0; just before it, 1.
    EXPECT_EQ(fadeOut.evaluate(2.5f - 0.75f / 64 + 0.001f), 0);
    EXPECT_EQ(fadeOut.evaluate(2.5f - 0.75f / 64 - 0.001f), 1);

    LinearInterpolator<int> negative(0, -10, 0.0f, 1.0f);
    EXPECT_EQ(negative.evaluate(0.55f), -5);  // -5.5 truncates toward zero
}

TEST(Segment, FloatRoundsOnceAndVectorsRoundEachStep) {
    // A float segment rounds once: (to - from) * u + from in double. Rounding after each step, as the
    // vector types do, gives 0.273809552 here instead of 0.273809522.
    LinearInterpolator<float> f(1.0f / 7.0f, 2.0f / 3.0f, 0.0f, 3.0f);
    EXPECT_EQ(f.evaluate(0.75f), 0.273809522f);
    EXPECT_NE(f.evaluate(0.75f), (2.0f / 3.0f - 1.0f / 7.0f) * (0.75f / 3.0f) + 1.0f / 7.0f);

    LinearInterpolator<Vector3> v(0, 0, 0, 2, 4, -8, 0.0f, 1.0f);
    EXPECT_EQ(v.evaluate(0.25f), Vector3(0.5f, 1.0f, -2.0f));

    LinearInterpolator<Color> c(Color(0x000000u), Color(0xFFFFFFu), 0.0f, 1.0f);
    const Color mid = c.evaluate(0.5f);
    EXPECT_EQ(mid.r, 0.5f);
    EXPECT_EQ(mid.g, 0.5f);
    EXPECT_EQ(mid.b, 0.5f);
}

TEST(Segment, ListsApplyInAppendOrderAndKeepValuesOutside) {
    Blend blend;
    blend.setOpacity(200);
    blend.addOpacitySegment({0, 100, 0.0f, 2.0f});
    blend.addOpacitySegment({50, 50, 1.0f, 3.0f});  // later segment wins in the overlap
    auto at = [&](float t) {
        applySegments(blend.opacitySegments, t, [&](int v) { blend.opacity = v; });
        return blend.opacity;
    };
    EXPECT_EQ(at(-1.0f), 200);  // before every segment: untouched
    EXPECT_EQ(at(0.5f), 25);
    EXPECT_EQ(at(1.5f), 50);
    EXPECT_EQ(at(2.5f), 50);
    blend.opacity = 7;
    EXPECT_EQ(at(3.0f), 7);     // after the last end: keeps what it holds
}

TEST(Camera, TwoDimensionalSegmentsWinAndKeepZ) {
    Camera cam;
    cam.setPosition(Vector3(1, 2, 3));
    cam.addPositionSegment({10, 10, 10, 20, 20, 20, 0.0f, 1.0f});
    cam.addPosition2DSegment({0, 0, 0, -300, 0.0f, 2.0f});
    cam.updatePosition(1.5f);  // only the 2D segment applies
    EXPECT_EQ(cam.position, Vector3(0, -225, 3));
    cam.updatePosition(0.5f);  // both: 3D first, then 2D over x and y
    EXPECT_EQ(cam.position, Vector3(0, -75, 15));

    cam.addTargetSegment({0, 0, 0, 0, 0, -1000, 0.0f, 1.0f});
    cam.updateTarget(0.5f);
    EXPECT_EQ(cam.target, Vector3(0, 0, -500));

    Rotation rot;
    rot.addAngleSegment({0, 0, 0, 4, 0, 0, 0.0f, 1.0f});
    rot.updateAngles(0.25f);
    EXPECT_EQ(rot.angles, Vector3(1, 0, 0));
}
