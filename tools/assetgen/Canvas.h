// Canvas: a picture being drawn by the asset generator, as 0xAARRGGBB words, with the few primitives the
// show's art needs (soft discs, rectangles, lines, gradients, grain, type) and PNG/JPEG output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A small deterministic generator of our own, so the art is the same bytes on every run.
class Dice {
public:
    explicit Dice(uint32_t seed) : state(seed * 2654435761u + 1u) {}
    uint32_t next() {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        return state;
    }
    double unit() { return double(next() >> 8) / double(1u << 24); }  // 0 <= x < 1
    int below(int n) { return int(next() % uint32_t(n)); }

private:
    uint32_t state;
};

class Font {
public:
    explicit Font(const std::string& path);
    bool ok() const { return !data.empty(); }
    std::vector<unsigned char> data;
    std::vector<unsigned char> info;  // stbtt_fontinfo, kept opaque here
};

class Canvas {
public:
    Canvas(int w, int h, uint32_t fill = 0xFF000000u) : width(w), height(h), px(size_t(w) * size_t(h), fill) {}

    uint32_t& at(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
    // Draws colour (its alpha scaled by `cover`, 0..1) over the pixel, keeping the larger alpha.
    void blend(int x, int y, uint32_t colour, double cover);
    void rect(int x0, int y0, int x1, int y1, uint32_t colour);
    void disc(double cx, double cy, double r, uint32_t colour, double softness = 1.5);
    void line(double x0, double y0, double x1, double y1, double thickness, uint32_t colour);
    void verticalGradient(uint32_t top, uint32_t bottom);
    // Text of pixel height `size`, its left end at x, baseline at y; returns the width drawn. With an
    // outline colour, the type is first drawn grown by `outlineRadius` pixels in that colour (a round
    // pen: every pixel within the radius of the type is covered), then the type over it.
    int text(const Font& font, const std::string& s, double size, int x, int y, uint32_t colour,
             uint32_t outline = 0, double outlineRadius = 0);
    int textWidth(const Font& font, const std::string& s, double size) const;
    void textCentred(const Font& font, const std::string& s, double size, int y, uint32_t colour, uint32_t outline = 0,
                     double outlineRadius = 0);

    bool writePng(const std::string& path) const;
    bool writeJpeg(const std::string& path, int quality) const;

    int width, height;
    std::vector<uint32_t> px;
};

uint32_t argb(int a, int r, int g, int b);
