// Effect: the base of every visual effect (the FX_ classes).
//
// Words used across the engine:
//   frame   the one 512 x 384 picture the timeline composes each show frame; never cleared by the engine.
//   window  an effect's span of show time, [startTime, endTime): start included, end excluded.
//   layer   a full-frame snapshot kept by the timeline; layerMode 0 saves the frame into it before the
//           effect renders, layerMode 1 loads it into the effect's layerCopy.
//   segment a LinearInterpolator moving one parameter between two show times.
//
// Every effect is a PixelArray of its own size (a private working area nobody else reads) and carries
// the animatable parameter groups of EffectFunctions. The timeline calls, every frame, isActive(t) and,
// while active, update(), setTarget(frame), the layer step and render(): only what render() writes into
// targetFrame is seen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pixel/EffectFunctions.h"
#include "pixel/LinearInterpolator.h"
#include "pixel/PixelArray.h"

class ImageList;

class Effect : public PixelArray, public EffectFunctions {
public:
    Effect(uint32_t width, uint32_t height);  // own buffer filled with 0x000000FF
    virtual ~Effect();                        // owners hold effects through base pointers
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    virtual void update() = 0;  // per-frame preparation: evaluate segments at `time`
    virtual void render() = 0;  // draw into targetFrame

    void setTimeWindow(float start, float end) { startTime = start; endTime = end; }
    // Stores t in `time`, then tells whether startTime <= t < endTime (false for NaN).
    bool isActive(float t);

    void setBlendMode(int mode) { blendMode = mode; }
    int getBlendMode() const { return blendMode; }
    void setSourceImage(PixelArray* image) { sourceImage = image; }
    void setImageSequence(ImageList* list) { imageSequence = list; }
    void setTarget(PixelArray* frame) { targetFrame = frame; }
    using Camera::setTarget;
    // Copies a 512 x 384 layer into layerCopy; the effect must itself be 512 x 384.
    void loadLayer(const PixelArray* layer);
    void setSceneTime(float t) { sceneTime = t; }
    void addObjectTrack(const LinearInterpolator<float>& segment) { objectTracks.push_back(segment); }
    // Loads an image file into a new entry of ownedImages (fatal when unreadable); returns its storage.
    uint32_t* addImage(const std::string& path);

    // Sets `opacity` from the opacity segments at the effect's `time`.
    void updateOpacity();

    int layerIndex = 0;   // compositor layer used by layerMode 0 and 1
    int layerMode = -1;   // -1 none; 0 save the frame into our layer; 1 load layerIndex into layerCopy
    std::unique_ptr<uint32_t[]> layerCopy;  // width * height words, contents unset until loaded
    PixelArray* sourceImage = nullptr;      // not owned
    ImageList* imageSequence = nullptr;     // not owned
    std::vector<std::unique_ptr<PixelArray>> ownedImages;
    int ownedImageCount = 0;
    bool randomPosition = false;   // image effect: a new random window of its source each frame
    int objectRenderMode = -999;   // 3D effect: render mode pushed to every object; -999 = keep their own
    float timeScale = 0;           // 3D effect: factor on its local time (it sets 1.0 itself)
    float objectRenderValue = 0.5f;
    float contrast = 0;            // contrast effect: angle in radians
    PixelArray* targetFrame = nullptr;  // set by the compositor every frame
    float time = 0;                // show time last given to isActive
    float startTime = 0;
    float endTime = 0;
    int blendMode = -1;            // meaning belongs to each class; commonly 0 copy, 1 add, 2 subtract, 3 opacity
    float sceneTime = 0;
    std::vector<LinearInterpolator<float>> objectTracks;
};
