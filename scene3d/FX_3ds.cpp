#include "scene3d/FX_3ds.h"

#include <cstdio>

#include "pixel/Numeric.h"
#include "platform/MessageBox.h"

FX_3ds::FX_3ds(uint32_t width, uint32_t height, const std::string& path) : Effect(width, height) {
    timeScale = 1.0f;
    blendMode = -1;
    if (!reader.openScene(resolvePathIgnoringCase(path)))
        reportFatal("Scene file not found!", "Error", path + ": cannot be read");
    reader.setDirectory(path);
    reader.openLog(reader.directory + "scene.txt", &scene);
    reader.readAll();
    if (!reader.sawMainChunk)  // the log beside the scene says so too, but a user may never open it
        std::fprintf(stderr, "softshow: %s: %s; the scene draws nothing\n", path.c_str(),
                     reader.problems.empty() ? "no scene in the file" : reader.problems.back().c_str());
    scene.assignTextureCoordinates();
    scene.prepareClipping();
}

void FX_3ds::update() {
    updateOpacity();
    sceneTime = time;
    for (const LinearInterpolator<float>& s : objectTracks)
        if (s.contains(time))
            sceneTime = float(double(s.from) + (double(s.to) - s.from) * (double(time) - s.startTime) /
                                                   (double(s.endTime) - s.startTime));
    frameTime = sceneTime;
    updatePosition(frameTime);
    updateTarget(frameTime);
    updateAngles(frameTime);
    scene.position = position;
    scene.rotation = angles;
    if (objectRenderMode != -999)
        for (auto& m : scene.meshes) {
            m->setRenderMode(objectRenderMode);
            m->setColor(0, 0x00FFFFFF);
            m->buildRate = objectRenderValue;
        }
}

void FX_3ds::render() {
    if (!targetFrame || targetFrame->size < kFrameWords) return;  // the scene draws a 512 x 384 frame
    const float t = float((double(frameTime) - startTime) * timeScale + timeOffset);
    scene.render(targetFrame->getPixels(), t);
}
