#include "effects/filters/FX_Contrast.h"

#include <cmath>
#include <cstring>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"

FX_Contrast::FX_Contrast(uint32_t width, uint32_t height) : Effect(width, height) {}

void FX_Contrast::update() { updateOpacity(); }

void buildContrastTable(float angle, uint8_t table[256]) {
    const float f = float(std::tan(double(angle)));
    const int hi = truncToInt(128.0 * double(f) + 128.0);
    const int lo = truncToInt(128.0 - 128.0 * double(f));
    for (int i = 0; i < 256; ++i) {
        if (i >= hi)
            table[i] = 255;
        else if (i <= lo)
            table[i] = 0;
        else
            table[i] = uint8_t(truncToInt(double(i - 128) / double(f) + 128.0));
    }
}

// The table is a clipped line, so it is applied as one in SIMD lanes when an exact integer line exists
// (checked at all 256 entries whenever the angle changes); otherwise through the table.
void FX_Contrast::render() {
    uint32_t bits;
    std::memcpy(&bits, &contrast, sizeof bits);
    if (!made || bits != madeForBits) {
        buildContrastTable(contrast, table);
        lineFits = fitChannelLine(table, 1.0 / std::tan(double(contrast)), line);
        made = true, madeForBits = bits;
    }
    uint32_t* p = targetFrame->getPixels();
    if (lineFits)
        mapChannelsByLine(p, int(size), line);
    else
        reference::mapChannels(p, int(size), table, false);
}
