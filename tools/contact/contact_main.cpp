// softshow-contact DIR OUT.png [COLUMNS]: a contact sheet of the frames in DIR (frame_NNNNN.png in name
// order), each shrunk to a quarter by averaging 4 x 4 blocks, COLUMNS to a row (default 10: at --fps 1,
// one row is ten seconds), one black pixel between them.
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const char* usage = "usage: softshow-contact DIR OUT.png [COLUMNS]\n"
                        "  a contact sheet of DIR's frame_*.png at a quarter size, COLUMNS a row (default 10)\n";
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") return std::fputs(usage, stdout), 0;
    if (argc < 3 || argc > 4) return std::fputs(usage, stderr), 2;
    const int columns = argc > 3 ? std::clamp(std::atoi(argv[3]), 1, 100) : 10;
    std::vector<fs::path> frames;
    std::error_code ec;
    for (fs::directory_iterator it(argv[1], ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".png" && it->path().filename().string().rfind("frame_", 0) == 0) frames.push_back(it->path());
    std::sort(frames.begin(), frames.end());
    if (frames.empty()) {
        std::fprintf(stderr, "softshow-contact: no frame_*.png in %s\n", argv[1]);
        return 1;
    }
    constexpr int kW = 128, kH = 96, kGap = 1;
    const int rows = (int(frames.size()) + columns - 1) / columns;
    const int sheetW = columns * (kW + kGap) - kGap, sheetH = rows * (kH + kGap) - kGap;
    std::vector<unsigned char> sheet(size_t(sheetW) * size_t(sheetH) * 3, 0);
    for (size_t k = 0; k < frames.size(); ++k) {
        int w = 0, h = 0, n = 0;
        unsigned char* rgb = stbi_load(frames[k].c_str(), &w, &h, &n, 3);
        if (!rgb || w != kW * 4 || h != kH * 4) {
            std::fprintf(stderr, "softshow-contact: %s is not a 512 x 384 picture\n", frames[k].c_str());
            stbi_image_free(rgb);
            return 1;
        }
        const int x0 = int(k % size_t(columns)) * (kW + kGap), y0 = int(k / size_t(columns)) * (kH + kGap);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < 4; ++dy)
                        for (int dx = 0; dx < 4; ++dx) sum += rgb[(size_t(y * 4 + dy) * size_t(w) + size_t(x * 4 + dx)) * 3 + size_t(c)];
                    sheet[(size_t(y0 + y) * size_t(sheetW) + size_t(x0 + x)) * 3 + size_t(c)] = (unsigned char)((sum + 8) / 16);
                }
        stbi_image_free(rgb);
    }
    if (!stbi_write_png(argv[2], sheetW, sheetH, 3, sheet.data(), sheetW * 3)) {
        std::fprintf(stderr, "softshow-contact: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("softshow-contact: %zu frames, %d x %d, in %s\n", frames.size(), sheetW, sheetH, argv[2]);
    return 0;
}
