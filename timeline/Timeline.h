// Timeline: the show as a list of effects in stacking order, the frame they draw into, and the layers
// some effects save the frame into. renderFrame(t) fetches the spectrum, clears the depth buffer and lets
// every effect whose window holds the show time prepare itself and draw, in list order, into the one
// frame. There is no per-effect buffer and no composition pass: the list order is the picture's order.
//
// Clock: the timeline is its own FrameTimer. With external time off the show time is the timer's time
// plus the start offset; with it on (useExternalTime) the caller's t is the show time and the timer's
// time is overwritten with it. isRunning() tests the time of the last rendered frame against [0, end).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "pixel/PixelArray.h"
#include "timeline/Effect.h"
#include "timeline/FrameTimer.h"
#include "timeline/Spectrum.h"

class Timeline : public FrameTimer {
public:
    Timeline();                                   // seeds the random generator with the calendar time
    explicit Timeline(uint32_t seed, Counter counter = steadyCounter,
                      int64_t frequency = kSteadyFrequency);  // a fixed seed: reproducible shows

    // Creates the frame (every word 0x000000FF). Called once, before any effect is added.
    void setFrameSize(uint32_t width, uint32_t height);
    void setEndTime(float end) { startTime = 0; endTime = end; }
    float getEndTime() const { return endTime; }
    bool isRunning() const { return startTime <= time && time < endTime; }
    void setStartOffset(float offset) { startOffset = offset; }
    float useExternalTime() { externalTime = true; return startOffset; }
    void setSpectrumSource(SpectrumSource* source) { spectrum = source; }

    // Appends an effect (not owned). An effect in layerMode 0 gets a new layer of its own.
    void addEffect(Effect* effect);
    void addLayer();
    // Drops every effect and layer (a show being replaced); the frame and the clock are kept.
    void clearEffects();

    PixelArray& renderFrame(float t);

    int effectCount() const { return int(effects.size()); }
    Effect* getEffect(int i) const;
    PixelArray* getLayer(int i) const;
    void setLayer(int i, std::unique_ptr<PixelArray> layer);  // replaces an existing entry only
    void saveLayer(int i, const PixelArray& source);          // copyFrom; ignores an unknown index
    PixelArray& getFrame() { return frame; }

private:
    SpectrumSource* spectrum = nullptr;  // not owned; none: rawSpectrum keeps what it holds
    std::vector<Effect*> effects;
    std::vector<std::unique_ptr<PixelArray>> layers;
    float startTime = 0, endTime = 0;
    float startOffset = 0;
    bool externalTime = false;
    PixelArray frame;
};
