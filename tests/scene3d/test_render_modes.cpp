// Frames of a written test scene in every render mode, against reference PNGs in tests/scene3d/reference.
// After a deliberate change to the look, regenerate them with:
//   SOFTSHOW_UPDATE_REFERENCES=1 ./build/tests/scene3d_tests --gtest_filter='RenderModes.*'
// and look at the new pictures before committing them.
#include <gtest/gtest.h>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "pixel/Random.h"
#include "platform/MessageBox.h"
#include "scene3d/DepthBuffer.h"
#include "scene3d/FX_3ds.h"
#include "tools/assetgen/ThreeDsWriter.h"

namespace fs = std::filesystem;

namespace {

// A textured cube of side 60: 24 vertices (four per side, for their own mapping), 12 faces.
tds::SceneData cube() {
    tds::SceneData s;
    s.materials = {{"check", 3, "check.png"}};
    tds::MeshData m;
    m.name = "cube";
    const float h = 30;
    const Vector3 corners[6][4] = {
        {{-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}},     {{h, -h, -h}, {-h, -h, -h}, {-h, h, -h}, {h, h, -h}},
        {{-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h}}, {{h, -h, h}, {h, -h, -h}, {h, h, -h}, {h, h, h}},
        {{-h, h, h}, {h, h, h}, {h, h, -h}, {-h, h, -h}},     {{-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}},
    };
    for (int side = 0; side < 6; ++side) {
        const uint16_t base = uint16_t(side * 4);
        for (int k = 0; k < 4; ++k) m.vertices.push_back(corners[side][k]);
        m.mapping.insert(m.mapping.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        m.faces.push_back({base, uint16_t(base + 1), uint16_t(base + 2), 6});
        m.faces.push_back({base, uint16_t(base + 2), uint16_t(base + 3), 3});
    }
    for (uint16_t f = 0; f < 12; ++f) m.groups.push_back({"check", {f}});
    s.meshes = {m};
    return s;
}

struct RenderModes : ::testing::Test {
    static void SetUpTestSuite() {
        setMessageBoxesEnabled(false);
        setupShowView();
        dir = fs::temp_directory_path() / ("softshow-modes-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        std::vector<unsigned char> rgb(64 * 64 * 3);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                unsigned char* p = &rgb[size_t(y * 64 + x) * 3];
                const bool on = ((x / 8) + (y / 8)) & 1;
                p[0] = on ? 230 : 30, p[1] = on ? 180 : 60, p[2] = (unsigned char)(x * 4);
            }
        stbi_write_png((dir / "check.png").c_str(), 64, 64, 3, rgb.data(), 64 * 3);
        std::string reason;
        ASSERT_TRUE(tds::write3dsFile((dir / "cube.3ds").string(), cube(), reason)) << reason;
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }

    // The cube tumbling at scene time 1.3 s, drawn in `mode` after a build-up time of 3 s.
    void check(int mode) {
        FX_3ds fx(512, 384, (dir / "cube.3ds").string());
        for (auto& m : fx.scene.meshes) m->setRenderMode(mode), m->buildRate = 2.0f, m->renderTime = 3.0f;
        PixelArray frame(512, 384);
        frame.fill(0x00101820);
        clearDepth();
        showSrand(1);
        fx.scene.render(frame.pixels, 1.3f);

        const fs::path reference = fs::path(SOFTSHOW_TEST_SOURCE_DIR) / "scene3d" / "reference" /
                                   ("mode" + std::to_string(mode) + ".png");
        std::vector<unsigned char> rgb(frame.size * 3);
        for (uint32_t i = 0; i < frame.size; ++i)
            rgb[i * 3] = (unsigned char)(frame.pixels[i] >> 16), rgb[i * 3 + 1] = (unsigned char)(frame.pixels[i] >> 8),
                    rgb[i * 3 + 2] = (unsigned char)frame.pixels[i];
        if (std::getenv("SOFTSHOW_UPDATE_REFERENCES")) {
            stbi_write_png(reference.c_str(), 512, 384, 3, rgb.data(), 512 * 3);
            return;
        }
        int w = 0, h = 0, n = 0;
        unsigned char* expected = stbi_load(reference.c_str(), &w, &h, &n, 3);
        ASSERT_NE(expected, nullptr) << "missing " << reference;
        const bool same = w == 512 && h == 384 && std::equal(rgb.begin(), rgb.end(), expected);
        stbi_image_free(expected);
        if (!same) {
            const fs::path actual = fs::temp_directory_path() / ("softshow-mode" + std::to_string(mode) + "-actual.png");
            stbi_write_png(actual.c_str(), 512, 384, 3, rgb.data(), 512 * 3);
            ADD_FAILURE() << "mode " << mode << " differs from " << reference << "; this run's frame: " << actual;
        }
        int drawn = 0;
        for (uint32_t i = 0; i < frame.size; ++i) drawn += frame.pixels[i] != 0x00101820u;
        if (mode == 5) EXPECT_EQ(drawn, 0);
        else EXPECT_GT(drawn, 200) << mode;
    }
    static inline fs::path dir;
};

}  // namespace

TEST_F(RenderModes, BuildUpWireframe) { check(-2); }
TEST_F(RenderModes, JitteringBuildUp) { check(-1); }
TEST_F(RenderModes, EdgeFlagWireframe) { check(16); }
TEST_F(RenderModes, FlatLit) { check(1); }
TEST_F(RenderModes, White) { check(2); }
TEST_F(RenderModes, Wireframe) { check(7); }
TEST_F(RenderModes, Blue) { check(4); }
TEST_F(RenderModes, Textured) { check(3); }
TEST_F(RenderModes, TexturedToo) { check(6); }
TEST_F(RenderModes, Nothing) { check(5); }
