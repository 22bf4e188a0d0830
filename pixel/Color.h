// Color: three float channels in 0..1, the pixel word it was last set from, and the segments that
// animate it. It is both the colour parameter every effect carries and the colour value type that
// colour segments hold.
#pragma once

#include <cstdint>
#include <vector>

#include "pixel/LinearInterpolator.h"

class Color {
public:
    Color() = default;                         // black; `packed` unset
    Color(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}
    explicit Color(uint32_t pixel) { setPacked(pixel); }

    // Channels from the word's bytes (top byte ignored), each byte / 255 in double stored as float.
    void setPacked(uint32_t pixel);
    // Copies r, g, b and packed, not the segments.
    void set(const Color& c) { r = c.r; g = c.g; b = c.b; packed = c.packed; }

    // (trunc(r * 255) << 16) | (trunc(g * 255) << 8) | trunc(b * 255), products in double, no clamping:
    // a component outside 0..1 spills into the neighbouring bits.
    uint32_t toPixel() const;

    Color operator+(const Color& o) const { return Color(r + o.r, g + o.g, b + o.b); }
    Color operator-(const Color& o) const { return Color(r - o.r, g - o.g, b - o.b); }
    Color operator*(float s) const { return Color(r * s, g * s, b * s); }

    void addColorSegment(const LinearInterpolator<Color>& segment) { colorSegments.push_back(segment); }

    float r = 0, g = 0, b = 0;
    uint32_t packed = 0;  // meaningful only after construction or setting from a pixel word
    std::vector<LinearInterpolator<Color>> colorSegments;
};

inline Color lerpSegmentValue(const Color& from, const Color& to, float u) { return from + (to - from) * u; }
