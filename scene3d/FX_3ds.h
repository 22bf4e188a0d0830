// FX_3ds: a 3DS scene on the timeline. The file is read when the effect is built (its log "scene.txt"
// goes beside it); every active frame the scene is drawn straight into the frame, depth-tested against
// the other 3D effects of that frame.
//
// Driven from outside the file: Camera::position and Rotation::angles place a scene that has a keyframer
// but no camera; objectTracks remap the effect's time (the last segment holding the show time wins);
// objectRenderMode (unless -999) forces one render mode, white lines and objectRenderValue as the build
// rate on every mesh; timeScale scales the scene's clock, which starts at 0 at startTime.
#pragma once

#include <memory>
#include <string>

#include "scene3d/Scene.h"
#include "scene3d/SceneReader.h"
#include "timeline/Effect.h"

class FX_3ds : public Effect {
public:
    // A scene file that cannot be opened is fatal: "Scene file not found!" / "Error", exit status 0.
    FX_3ds(uint32_t width, uint32_t height, const std::string& path);

    void update() override;
    void render() override;

    int32_t unused = 0;
    float timeOffset = 0;
    float frameTime = 0;  // the scene time of the current frame
    Scene scene;
    SceneReader reader;
};
