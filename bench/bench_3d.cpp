// The 3D pipeline: triangles per second through transform, clipping, projection and the textured fill
// for a 5,000-face textured torus; and the reader's load time for the largest real 3DS test file.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "scene3d/DepthBuffer.h"
#include "scene3d/Mesh.h"
#include "scene3d/Raster.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneReader.h"

namespace {

// A torus of 50 x 50 quads (5,000 triangles), radii 60 and 25, with a 256 x 256 checker texture.
std::unique_ptr<Scene> torus() {
    auto scene = std::make_unique<Scene>();
    Material& mat = scene->addMaterial();
    mat.renderType = 3;
    mat.textures.push_back(std::make_unique<PixelArray>(256, 256));
    PixelArray& tex = *mat.textures.back();
    for (uint32_t i = 0; i < tex.size; ++i) tex.pixels[i] = ((i / 16 + i / 4096) & 1) ? 0x00E0B040u : 0x00203060u;
    Mesh& m = scene->addMesh();
    const int n = 50;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            const double a = 2 * M_PI * i / n, b = 2 * M_PI * j / n;
            const Vector3 p(float((60 + 25 * std::cos(b)) * std::cos(a)), float((60 + 25 * std::cos(b)) * std::sin(a)),
                            float(25 * std::sin(b)));
            m.fileVertices.push_back(Vertex(p));
            m.mapping.push_back({float(i) / n * 4, float(j) / n * 2});
        }
    m.hasMapping = true;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const uint32_t v = uint32_t(i * (n + 1) + j);
            Face f1, f2;
            f1.a = v, f1.b = v + n + 1, f1.c = v + 1;
            f2.a = v + 1, f2.b = v + n + 1, f2.c = v + n + 2;
            f1.material = f2.material = 0;
            m.faces.push_back(f1);
            m.faces.push_back(f2);
        }
    m.renderMode = 3;
    m.resetVertices();
    scene->assignTextureCoordinates();
    scene->prepareClipping();
    return scene;
}

void BM_TexturedTorus(benchmark::State& state) {
    setupShowView();
    std::unique_ptr<Scene> scene = torus();
    PixelArray frame(512, 384);
    float t = 0;
    for (auto _ : state) {
        clearDepth();
        scene->render(frame.pixels, t);  // no keyframer, no camera: tumbling 144 units ahead
        t += 1.0f / 60;
        benchmark::DoNotOptimize(frame.pixels);
    }
    state.counters["triangles/s"] =
        benchmark::Counter(double(state.iterations()) * 5000, benchmark::Counter::kIsRate);
}

// The fills alone: a frame-filling floor seen in perspective (two triangles, depth from 1/z -0.9 to -0.004,
// u and v from 0 across 16 texture repeats), drawn twice a frame so the second pass fails every depth test.
void BM_FrameFillingFloor(benchmark::State& state) {
    const bool textured = state.range(0) != 0;
    std::vector<uint32_t> texels(128 * 128);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint32_t(i * 2654435761u);
    PixelArray frame(512, 384);
    const RasterCorner a[3] = {{-200, 0, -250, 0, 0}, {712, 0, -250, 16, 0}, {712, 384, -1.1f, 16, 16}};
    const RasterCorner b[3] = {{-200, 0, -250, 0, 0}, {712, 384, -1.1f, 16, 16}, {-200, 384, -1.1f, 0, 16}};
    for (auto _ : state) {
        clearDepth();
        for (int pass = 0; pass < 2; ++pass)
            for (const RasterCorner* c : {a, b}) {
                if (textured) fillTextured(frame.pixels, 512, 384, c, texels.data(), 128, 128);
                else fillFlat(frame.pixels, 512, 384, c, 0x336699);
            }
        benchmark::DoNotOptimize(frame.pixels);
    }
}

// Tall slivers side by side, as a tessellated column seen from afar: 200 strips 2 pixels wide and 150 rows
// tall, two triangles each, textured, nearer to the right.
void BM_TallSlivers(benchmark::State& state) {
    std::vector<uint32_t> texels(128 * 128);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint32_t(i * 2654435761u);
    PixelArray frame(512, 384);
    for (auto _ : state) {
        clearDepth();
        for (int i = 0; i < 200; ++i) {
            const float x = 50.0f + 2.0f * float(i), z = -50.0f + 0.1f * float(i), u = float(i) / 50.0f;
            const RasterCorner a[3] = {{x, 100, z, u, 0}, {x + 2, 100, z, u + 0.04f, 0}, {x, 250, z, u, 1}};
            const RasterCorner b[3] = {{x + 2, 100, z, u + 0.04f, 0}, {x + 2, 250, z, u + 0.04f, 1}, {x, 250, z, u, 1}};
            fillTextured(frame.pixels, 512, 384, a, texels.data(), 128, 128);
            fillTextured(frame.pixels, 512, 384, b, texels.data(), 128, 128);
        }
        benchmark::DoNotOptimize(frame.pixels);
    }
}

void BM_ReadLargestRealFile(benchmark::State& state) {
    namespace fs = std::filesystem;
    fs::path largest;
    std::error_code ec;
    const fs::path data = SOFTSHOW_3DS_TESTDATA;
    for (fs::recursive_directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".3ds" && (largest.empty() || fs::file_size(it->path()) > fs::file_size(largest))) largest = it->path();
    }
    if (largest.empty()) {
        state.SkipWithError("no real 3DS files in tests/data/3ds");
        return;
    }
    for (auto _ : state) {
        Scene scene;
        SceneReader reader;
        reader.loadTextures = false;  // the file's own parsing, not the image decoder
        reader.openScene(largest.string());
        reader.setDirectory(largest.string());
        reader.openLog("", &scene);
        reader.readAll();
        benchmark::DoNotOptimize(scene.meshes.data());
    }
    state.SetLabel(largest.filename().string() + ", " + std::to_string(fs::file_size(largest)) + " bytes");
}

}  // namespace

BENCHMARK(BM_TexturedTorus)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameFillingFloor)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TallSlivers)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ReadLargestRealFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
