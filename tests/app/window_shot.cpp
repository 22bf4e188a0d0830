// window_shot: reads an X window dump (xwd, 24/32-bit ZPixmap) for the window tests.
//   window_shot size DUMP           prints "W H"
//   window_shot box DUMP            prints "X Y W H" of the pixels that are not black
//   window_shot scaled DUMP PNG     exit 0 when DUMP is PNG enlarged by a whole factor, nearest-neighbour
//   window_shot same DUMP DUMP      exit 0 when both dumps hold the same picture
//   window_shot centre DUMP         prints the colour at the middle as RRGGBB
#include <stb/stb_image.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
};

uint32_t big32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool readDump(const char* path, Picture& out) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 100) return false;
    const uint32_t headerSize = big32(&b[0]), width = big32(&b[16]), height = big32(&b[20]);
    const uint32_t byteOrder = big32(&b[28]), bitsPerPixel = big32(&b[44]), bytesPerLine = big32(&b[48]);
    const uint32_t colours = big32(&b[76]);
    const size_t start = size_t(headerSize) + size_t(colours) * 12;
    if (bitsPerPixel != 32 || width > 10000 || height > 10000 || start + size_t(bytesPerLine) * height > b.size())
        return false;
    out.w = int(width), out.h = int(height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &b[start + size_t(y) * bytesPerLine + size_t(x) * 4];
            const uint32_t v = byteOrder == 0 ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 : big32(p) & 0xFFFFFF;
            out.rgb.push_back(v & 0xFFFFFF);
        }
    return true;
}

bool readPng(const char* path, Picture& out) {
    int n = 0;
    unsigned char* p = stbi_load(path, &out.w, &out.h, &n, 3);
    if (!p) return false;
    for (int i = 0; i < out.w * out.h; ++i) out.rgb.push_back(uint32_t(p[i * 3]) << 16 | uint32_t(p[i * 3 + 1]) << 8 | p[i * 3 + 2]);
    stbi_image_free(p);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    Picture dump, other;
    if (mode.empty() || !readDump(argv[2], dump)) {
        std::fprintf(stderr, "window_shot: cannot read %s\n", argc > 2 ? argv[2] : "(no dump)");
        return 2;
    }
    if (mode == "size") {
        std::printf("%d %d\n", dump.w, dump.h);
        return 0;
    }
    if (mode == "centre") {
        if (dump.rgb.empty()) return 2;
        std::printf("%06X\n", dump.rgb[size_t(dump.h / 2) * size_t(dump.w) + size_t(dump.w / 2)]);
        return 0;
    }
    if (mode == "box") {
        int x0 = dump.w, y0 = dump.h, x1 = -1, y1 = -1;
        for (int y = 0; y < dump.h; ++y)
            for (int x = 0; x < dump.w; ++x)
                if (dump.rgb[size_t(y) * size_t(dump.w) + size_t(x)] != 0)
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        std::printf("%d %d %d %d\n", x0, y0, x1 - x0 + 1, y1 - y0 + 1);
        return 0;
    }
    if (argc < 4 || !(mode == "scaled" ? readPng(argv[3], other) : readDump(argv[3], other))) return 2;
    if (mode == "same") return dump.w == other.w && dump.h == other.h && dump.rgb == other.rgb ? 0 : 1;
    const int k = other.w > 0 ? dump.w / other.w : 0;
    if (k < 1 || dump.w != other.w * k || dump.h != other.h * k) {
        std::fprintf(stderr, "window_shot: %d x %d is not %d x %d enlarged\n", dump.w, dump.h, other.w, other.h);
        return 1;
    }
    for (int y = 0; y < dump.h; ++y)
        for (int x = 0; x < dump.w; ++x)
            if (dump.rgb[size_t(y) * size_t(dump.w) + size_t(x)] != other.rgb[size_t(y / k) * size_t(other.w) + size_t(x / k)]) {
                std::fprintf(stderr, "window_shot: differs at %d, %d\n", x, y);
                return 1;
            }
    return 0;
}
