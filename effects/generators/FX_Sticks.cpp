#include "effects/generators/FX_Sticks.h"

#include <cmath>

#include "effects/generators/ThickLine.h"
#include "pixel/Numeric.h"

float sticksPhase = 0.0f;

std::array<StickLine, 8> stickLines(int k, float phase, int W, int H) {
    const double P = phase;
    const int x0 = truncToInt(std::cos(P - 1.1 * k) * std::sin(0.1 * k + P) * 254 + 255);
    const int y0 = truncToInt(std::cos(0.2 * k + P + 1.0) * std::sin(0.1 * k + P) * 190 + 191);
    const int x1 = truncToInt(std::cos(P + 0.6 + 0.2 * k) * std::sin(P + 0.5 - 1.02 * k) * 254 + 255);
    const int y1 = truncToInt(std::cos(P - 0.1 * k) * std::sin(P + 0.5 - 0.15 * k) * 190 + 191);
    const uint32_t c1 = k % 2 == 0 ? 0x0000CCFFu : 0x003333FFu;
    const uint32_t c2 = k % 2 == 0 ? 0x000033FFu : 0x00FFFFFFu;
    return {{{x0, y0, x1, y1, c1, 6, 6},
             {x0 + 3, y0, x1 + 3, y1, c2, 2, 2},
             {W - x0, y0, W - x1, y1, c1, 6, 6},
             {W - 3 - x0, y0, W - 3 - x1, y1, c2, 2, 2},
             {W - x0, H - y0, W - x1, H - y1, c1, 6, 6},
             {W - 3 - x0, H - y0, W - 3 - x1, H - y1, c2, 4, 4},
             {x0, H - y0, x1, H - y1, c1, 6, 6},
             {x0 + 3, H - y0, x1 + 3, H - y1, c2, 2, 2}}};
}

void FX_Sticks::render() {
    sticksPhase = float(double(sticksPhase) + 0.005);
    const int W = int(width), H = int(height);
    for (int k = 0; k < 16; ++k)
        for (const StickLine& l : stickLines(k, sticksPhase, W, H))
            drawThickLine(pixels, l.x0, l.y0, l.x1, l.y1, l.colour, W, H, l.penW, l.penH);
}
