#include <gtest/gtest.h>

#include <limits>

#include "timeline/Effect.h"

namespace {
struct Bare : Effect {
    using Effect::Effect;
    void update() override {}
    void render() override {}
};
}  // namespace

TEST(Effect, NewEffectIsBlueWithNoLayerStepOrBlend) {
    Bare e(512, 384);
    EXPECT_EQ(e.layerMode, -1);
    EXPECT_EQ(e.blendMode, -1);
    EXPECT_EQ(e.objectRenderMode, -999);  // keep the scene's own render modes
    EXPECT_EQ(e.toPixel(), 0u);           // black
    for (uint32_t i = 0; i < e.size; ++i) ASSERT_EQ(e.pixels[i], 0x000000FFu);
}

TEST(Effect, WindowIncludesStartExcludesEndAndAlwaysStoresTime) {
    Bare e(8, 8);
    e.setTimeWindow(15.1f, 36.5f);
    EXPECT_TRUE(e.isActive(15.1f));
    EXPECT_EQ(e.time, 15.1f);
    EXPECT_FALSE(e.isActive(36.5f));
    EXPECT_EQ(e.time, 36.5f);
    EXPECT_TRUE(e.isActive(36.49f));
    EXPECT_FALSE(e.isActive(std::numeric_limits<float>::quiet_NaN()));

    e.addOpacitySegment({0, 255, 41.0f, 43.0f});  // opacity follows the effect's own time
    e.isActive(42.0f);
    e.updateOpacity();
    EXPECT_EQ(e.opacity, 127);
    e.isActive(50.0f);
    e.updateOpacity();
    EXPECT_EQ(e.opacity, 127);
}

TEST(Effect, LoadLayerCopiesAFullFrame) {
    Bare e(512, 384);
    PixelArray layer(512, 384);
    for (uint32_t i = 0; i < layer.size; ++i) layer.pixels[i] = i * 2654435761u;
    e.loadLayer(&layer);
    for (uint32_t i = 0; i < layer.size; ++i) ASSERT_EQ(e.layerCopy[i], layer.pixels[i]);

    Bare small(16, 16);  // too small to hold a layer: refused rather than overrun
    small.layerCopy[0] = 42;
    small.loadLayer(&layer);
    EXPECT_EQ(small.layerCopy[0], 42u);
}
