// The music spectrum of the current frame. The timeline asks its SpectrumSource for 512 magnitudes at
// the start of every frame and writes them into entries 0..511 of `rawSpectrum`, lowest band first;
// entries from 512 on stay 0 (readers may look as far as entry 842).
#pragma once

constexpr int kSpectrumBands = 512;
constexpr int kRawSpectrumSize = 1024;

extern float rawSpectrum[kRawSpectrumSize];  // all 0 at start

class SpectrumSource {
public:
    virtual ~SpectrumSource() = default;
    // Writes kSpectrumBands magnitudes of what plays at `showTime` (the music position, live or
    // offline). A source that has nothing to give leaves the buffer as it was.
    virtual void fetchSpectrum(float showTime, float* bands) = 0;
};

// Silence: every band 0.
class SilentSpectrum : public SpectrumSource {
public:
    void fetchSpectrum(float showTime, float* bands) override;
};
