#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST_F(Raster, OneRowTrianglesDrawNothingAndNearerFragmentsWin) {
    const RasterCorner flat[3] = {corner(10, 5.2f, -10), corner(100, 5.9f, -10), corner(50, 5.5f, -10)};
    fillFlat(frame.pixels, 512, 384, flat, 0x111111);
    EXPECT_EQ(count(0x111111), 0);

    const RasterCorner far[3] = {corner(100, 100, -100), corner(300, 100, -100), corner(200, 300, -100)};
    const RasterCorner same[3] = {corner(100, 100, -100), corner(300, 100, -100), corner(200, 300, -100)};
    const RasterCorner near[3] = {corner(150, 150, -10), corner(250, 150, -10), corner(200, 250, -10)};
    fillFlat(frame.pixels, 512, 384, far, 0x0000AA);
    const int area = count(0x0000AA);
    EXPECT_GT(area, 15000);
    fillFlat(frame.pixels, 512, 384, same, 0x00BB00);  // equal depth: the first one stays
    EXPECT_EQ(count(0x00BB00), 0);
    fillFlat(frame.pixels, 512, 384, near, 0xCC0000);
    EXPECT_GT(count(0xCC0000), 4000);
    EXPECT_EQ(count(0x0000AA) + count(0xCC0000), area);  // the near one covers part of the far one
}

TEST_F(Raster, TexturesRepeatByMask) {
    const uint32_t texels[4] = {0x01, 0x02, 0x03, 0x04};  // 2 x 2
    // A square spanning u and v from 0 to 2 shows the 2 x 2 texture twice in each direction.
    const RasterCorner a[3] = {corner(0, 0, -1, 0, 0), corner(200, 0, -1, 2, 0), corner(0, 200, -1, 0, 2)};
    fillTextured(frame.pixels, 512, 384, a, texels, 2, 2);
    EXPECT_EQ(frame.pixels[10 * 512 + 10], 0x01u);
    EXPECT_EQ(frame.pixels[10 * 512 + 60], 0x02u);
    EXPECT_EQ(frame.pixels[10 * 512 + 110], 0x01u);
    EXPECT_EQ(frame.pixels[60 * 512 + 10], 0x03u);
    EXPECT_EQ(frame.pixels[110 * 512 + 10], 0x01u);
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
