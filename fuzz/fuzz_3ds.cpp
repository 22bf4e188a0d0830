// The 3DS reader: a file read as the show reads it (log included, written to nowhere), then the scene
// drawn once in the lit flat mode at time 0 and once textured at 2.5 s, over a 256 x 256 test texture on
// every material. The input is the file itself, so real scenes serve as seeds unchanged.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "fuzz/FuzzSupport.h"
#include "pixel/PixelArray.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneReader.h"

namespace {
constexpr uint32_t kWidth = 512, kHeight = 384;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::asFile("input.3ds", data, size);

    Scene scene;
    SceneReader reader;
    reader.loadTextures = false;  // picture decoding has its own target
    if (!reader.openScene(path)) return 0;
    reader.setDirectory(path);
    reader.openLog("/dev/null", &scene);
    reader.readAll();
    for (auto& material : scene.materials) {
        material->textures.push_back(std::make_unique<PixelArray>(256, 256));
        PixelArray& t = *material->textures.back();
        for (uint32_t i = 0; i < t.size; ++i) t.pixels[i] = i * 2654435761u;
    }
    scene.assignTextureCoordinates();
    scene.prepareClipping();

    static PixelArray frame(kWidth, kHeight);
    for (auto [mode, time] : {std::pair{1, 0.0f}, {3, 2.5f}}) {
        for (auto& mesh : scene.meshes) mesh->setRenderMode(mode);
        frame.fill(0);
        scene.render(frame.pixels, time);
    }
    return 0;
}
