#include "tools/assetgen/Canvas.h"

#include <stb/stb_image_write.h>
#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

uint32_t argb(int a, int r, int g, int b) {
    auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

Font::Font(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    data.assign(std::istreambuf_iterator<char>(in), {});
    if (data.empty()) return;
    info.resize(sizeof(stbtt_fontinfo));
    auto* f = reinterpret_cast<stbtt_fontinfo*>(info.data());
    if (!stbtt_InitFont(f, data.data(), stbtt_GetFontOffsetForIndex(data.data(), 0))) data.clear();
}

void Canvas::blend(int x, int y, uint32_t colour, double cover) {
    if (x < 0 || y < 0 || x >= width || y >= height || cover <= 0) return;
    uint32_t& d = at(x, y);
    const double a = std::min(1.0, cover) * double(colour >> 24) / 255.0;
    auto mix = [a](uint32_t s, uint32_t t, int shift) {
        return uint32_t(std::lround(double(t >> shift & 255) * (1 - a) + double(s >> shift & 255) * a)) << shift;
    };
    const uint32_t alpha = std::max(d >> 24, uint32_t(std::lround(a * 255)));
    d = alpha << 24 | mix(colour, d, 16) | mix(colour, d, 8) | mix(colour, d, 0);
}

void Canvas::rect(int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x) blend(x, y, colour, 1.0);
}

void Canvas::disc(double cx, double cy, double r, uint32_t colour, double softness) {
    const int x0 = int(std::floor(cx - r - softness)), x1 = int(std::ceil(cx + r + softness));
    const int y0 = int(std::floor(cy - r - softness)), y1 = int(std::ceil(cy + r + softness));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            blend(x, y, colour, std::clamp((r - d) / softness + 0.5, 0.0, 1.0));
        }
}

void Canvas::line(double x0, double y0, double x1, double y1, double t, uint32_t colour) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, int(len * 2));
    for (int i = 0; i <= steps; ++i) disc(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, t / 2, colour, 1.0);
}

void Canvas::verticalGradient(uint32_t top, uint32_t bottom) {
    for (int y = 0; y < height; ++y) {
        const double t = height > 1 ? double(y) / (height - 1) : 0;
        auto ch = [&](int shift) { return int(std::lround((top >> shift & 255) * (1 - t) + (bottom >> shift & 255) * t)); };
        const uint32_t c = argb(ch(24), ch(16), ch(8), ch(0));
        std::fill_n(px.begin() + long(y) * width, width, c);
    }
}

int Canvas::textWidth(const Font& font, const std::string& s, double size) const {
    if (!font.ok()) return 0;
    auto* f = reinterpret_cast<const stbtt_fontinfo*>(font.info.data());
    const float scale = stbtt_ScaleForPixelHeight(f, float(size));
    double w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        int advance, bearing;
        stbtt_GetCodepointHMetrics(f, (unsigned char)s[i], &advance, &bearing);
        w += advance * scale;
        if (i + 1 < s.size()) w += scale * stbtt_GetCodepointKernAdvance(f, (unsigned char)s[i], (unsigned char)s[i + 1]);
    }
    return int(std::ceil(w));
}

int Canvas::text(const Font& font, const std::string& s, double size, int x, int y, uint32_t colour, uint32_t outline,
                 double outlineRadius) {
    if (!font.ok()) return 0;
    auto* f = reinterpret_cast<const stbtt_fontinfo*>(font.info.data());
    const float scale = stbtt_ScaleForPixelHeight(f, float(size));
    // The coverage of the type over the whole canvas, so the outline can be grown from it.
    std::vector<uint8_t> cover(px.size(), 0);
    int left = width, top = height, right = -1, bottom = -1;  // the covered box
    double pen = x;
    std::vector<unsigned char> glyph;
    for (size_t i = 0; i < s.size(); ++i) {
        const int c = (unsigned char)s[i];
        int x0, y0, x1, y1;
        const float shift = float(pen - std::floor(pen));
        stbtt_GetCodepointBitmapBoxSubpixel(f, c, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
        const int gw = x1 - x0, gh = y1 - y0;
        if (gw > 0 && gh > 0) {
            glyph.assign(size_t(gw) * size_t(gh), 0);
            stbtt_MakeCodepointBitmapSubpixel(f, glyph.data(), gw, gh, gw, scale, scale, shift, 0, c);
            for (int gy = 0; gy < gh; ++gy)
                for (int gx = 0; gx < gw; ++gx) {
                    const int px_ = int(std::floor(pen)) + x0 + gx, py = y + y0 + gy;
                    if (px_ < 0 || py < 0 || px_ >= width || py >= height) continue;
                    uint8_t& k = cover[size_t(py) * size_t(width) + size_t(px_)];
                    k = std::max(k, glyph[size_t(gy * gw + gx)]);
                    left = std::min(left, px_), right = std::max(right, px_), top = std::min(top, py), bottom = std::max(bottom, py);
                }
        }
        int advance, bearing;
        stbtt_GetCodepointHMetrics(f, c, &advance, &bearing);
        pen += advance * scale;
        if (i + 1 < s.size()) pen += scale * stbtt_GetCodepointKernAdvance(f, c, (unsigned char)s[i + 1]);
    }
    if (outlineRadius > 0) {
        const int r = int(std::ceil(outlineRadius));
        const double reach = (outlineRadius + 0.5) * (outlineRadius + 0.5);
        for (int py = std::max(0, top - r); py <= std::min(height - 1, bottom + r); ++py)
            for (int px_ = std::max(0, left - r); px_ <= std::min(width - 1, right + r); ++px_) {
                uint8_t grown = 0;
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx) {
                        const int sx = px_ + dx, sy = py + dy;
                        if (dx * dx + dy * dy > reach || sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
                        grown = std::max(grown, cover[size_t(sy) * size_t(width) + size_t(sx)]);
                    }
                if (grown) blend(px_, py, outline, grown / 255.0);
            }
    }
    for (int py = std::max(0, top); py <= bottom; ++py)
        for (int px_ = std::max(0, left); px_ <= right; ++px_)
            if (const uint8_t k = cover[size_t(py) * size_t(width) + size_t(px_)]) blend(px_, py, colour, k / 255.0);
    return int(pen) - x;
}

void Canvas::textCentred(const Font& font, const std::string& s, double size, int y, uint32_t colour, uint32_t outline,
                         double outlineRadius) {
    text(font, s, size, (width - textWidth(font, s, size)) / 2, y, colour, outline, outlineRadius);
}

namespace {
std::vector<unsigned char> rgba(const std::vector<uint32_t>& px, int channels) {
    std::vector<unsigned char> out(px.size() * size_t(channels));
    for (size_t i = 0; i < px.size(); ++i) {
        out[i * size_t(channels) + 0] = (unsigned char)(px[i] >> 16);
        out[i * size_t(channels) + 1] = (unsigned char)(px[i] >> 8);
        out[i * size_t(channels) + 2] = (unsigned char)(px[i]);
        if (channels == 4) out[i * 4 + 3] = (unsigned char)(px[i] >> 24);
    }
    return out;
}
}  // namespace

bool Canvas::writePng(const std::string& path) const {
    const std::vector<unsigned char> bytes = rgba(px, 4);
    return stbi_write_png(path.c_str(), width, height, 4, bytes.data(), width * 4) != 0;
}

bool Canvas::writeJpeg(const std::string& path, int quality) const {
    const std::vector<unsigned char> bytes = rgba(px, 3);
    return stbi_write_jpg(path.c_str(), width, height, 3, bytes.data(), quality) != 0;
}
