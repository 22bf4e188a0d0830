#include "effects/generators/FX_VLines.h"

#include "effects/generators/ThickLine.h"
#include "pixel/Numeric.h"
#include "timeline/Spectrum.h"

FX_VLines::FX_VLines(uint32_t width, uint32_t height) : Effect(width, height) {}

void FX_VLines::update() { updateOpacity(); }

void FX_VLines::render() {
    if (targetFrame->size < kFrameWords) return;  // the bars are laid out on the 512 x 384 frame
    uint32_t* p = targetFrame->getPixels();
    for (int c = 0; c < 512; ++c) {
        const float m = rawSpectrum[76 + truncToInt(1.5 * c)];  // at most entry 842
        const int h = truncToInt(double(m) * 48000.0) % 128;
        drawThickLine(p, c, 201 - h, c, 201, 0x00FF0000u, 512, 384, 1, 1);
        drawThickLine(p, c, h + 200, c, 200, 0x00FF0000u, 512, 384, 1, 1);
    }
}
