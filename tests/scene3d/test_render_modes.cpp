// Frames of a written test scene in every render mode, against reference PNGs in tests/scene3d/reference.
// After a deliberate change to the look, regenerate them with:
//   SOFTSHOW_UPDATE_REFERENCES=1 ./build/tests/scene3d_tests --gtest_filter='RenderModes.*'
// and look at the new pictures before committing them.
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <filesystem>
#include <random>

#include "pixel/Random.h"
#include "platform/MessageBox.h"
#include "scene3d/DepthBuffer.h"
#include "scene3d/FX_3ds.h"
#include "support/ReferencePicture.h"
#include "tools/assetgen/ThreeDsWriter.h"

namespace fs = std::filesystem;

namespace {

// A textured cube of side 60: four vertices per side, for their own mapping, 12 faces.
tds::SceneData cube() {
    tds::SceneData s;
    s.materials = {{"check", 3, "check.png"}};
    s.meshes = {tds::texturedBox("cube", {-30, -30, -30}, {30, 30, 30}, "check")};
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

        std::string why;
        EXPECT_TRUE(matchesReferencePicture(
            frame, fs::path(SOFTSHOW_TEST_SOURCE_DIR) / "scene3d" / "reference" / ("mode" + std::to_string(mode) + ".png"), why))
            << why;
        int drawn = 0;
        for (uint32_t i = 0; i < frame.size; ++i) drawn += frame.pixels[i] != 0x00101820u;
        EXPECT_TRUE(mode == 5 ? drawn == 0 : drawn > 200) << "mode " << mode << ": " << drawn;
    }
    static inline fs::path dir;
};

}  // namespace

// Build-up wireframe, jittering build-up, edge-flag wireframe, flat lit, white, wireframe, blue, textured
// (two codes) and nothing.
TEST_F(RenderModes, EveryModeMatchesItsReference) {
    for (int mode : {-2, -1, 16, 1, 2, 7, 4, 3, 6, 5}) check(mode);
}
