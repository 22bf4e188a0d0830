// Writes the small files of the committed seed corpora for the picture and MP3 targets: one of each kind
// the decoders take apart differently. Run by hand when the corpus should change:
//   cmake --build build --target fuzz_make_seeds && build/fuzz/fuzz_make_seeds fuzz/corpus
#include <png.h>
#include <stb/stb_image_write.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/assetgen/Mp3Encoder.h"

namespace {

std::vector<unsigned char> gradient(int w, int h, int channels) {
    std::vector<unsigned char> p(size_t(w) * h * channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) p[(size_t(y) * w + x) * channels + c] = (unsigned char)(x * 16 + y * 8 + c * 85);
    return p;
}

// libpng for what stb_image_write cannot write: palettes with transparency, 16 bits, interlacing.
bool writePng(const std::string& path, int w, int h, int colorType, int depth, bool interlaced) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
        png_byte alpha[4] = {255, 128, 0, 64};
        png_set_PLTE(png, info, palette, 4);
        png_set_tRNS(png, info, alpha, 4, nullptr);
    }
    png_write_info(png, info);
    const int channels = colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    const size_t rowBytes = size_t(w) * channels * (depth == 16 ? 2 : 1);
    std::vector<unsigned char> rows(rowBytes * h);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = (unsigned char)(colorType == PNG_COLOR_TYPE_PALETTE ? (i & 3) << 6 : i * 13);
    std::vector<png_bytep> pointers(h);
    for (int y = 0; y < h; ++y) pointers[y] = rows.data() + rowBytes * y;
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool writeJpeg(const std::string& path, int w, int h, bool gray, int subsampling, int flags) {
    tjhandle tj = tjInitCompress();
    const std::vector<unsigned char> pixels = gradient(w, h, gray ? 1 : 3);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool ok = tjCompress2(tj, pixels.data(), w, 0, h, gray ? TJPF_GRAY : TJPF_RGB, &out, &size,
                                gray ? TJSAMP_GRAY : subsampling, 80, flags) == 0;
    if (ok) std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(out), std::streamsize(size));
    tjFree(out);
    tjDestroy(tj);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS_DIR\n");
        return 2;
    }
    const std::string image = std::string(argv[1]) + "/image/", mp3 = std::string(argv[1]) + "/mp3/";
    bool ok = true;
    const std::vector<unsigned char> rgba = gradient(7, 5, 4), rgb = gradient(7, 5, 3);
    ok &= stbi_write_png((image + "rgba.png").c_str(), 7, 5, 4, rgba.data(), 7 * 4) != 0;
    ok &= stbi_write_bmp((image + "rgb.bmp").c_str(), 7, 5, 3, rgb.data()) != 0;
    ok &= stbi_write_bmp((image + "rgba.bmp").c_str(), 7, 5, 4, rgba.data()) != 0;
    ok &= stbi_write_tga((image + "rgba.tga").c_str(), 7, 5, 4, rgba.data()) != 0;
    stbi_write_tga_with_rle = 0;
    ok &= stbi_write_tga((image + "rgb-raw.tga").c_str(), 7, 5, 3, rgb.data()) != 0;
    ok &= writePng(image + "palette-alpha.png", 9, 6, PNG_COLOR_TYPE_PALETTE, 2, false);
    ok &= writePng(image + "gray16.png", 9, 6, PNG_COLOR_TYPE_GRAY, 16, false);
    ok &= writePng(image + "rgb-interlaced.png", 9, 6, PNG_COLOR_TYPE_RGB, 8, true);
    ok &= writeJpeg(image + "baseline-420.jpg", 17, 9, false, TJSAMP_420, 0);
    ok &= writeJpeg(image + "progressive-444.jpg", 17, 9, false, TJSAMP_444, TJFLAG_PROGRESSIVE);
    ok &= writeJpeg(image + "gray.jpg", 17, 9, true, TJSAMP_GRAY, 0);

    // A tenth of a second of a chord, stereo at 44.1 kHz and mono at 22.05 kHz.
    struct Track {
        const char* name;
        int rate, channels;
    };
    for (auto [name, rate, channels] : {Track{"stereo-44100.mp3", 44100, 2}, Track{"mono-22050.mp3", 22050, 1}}) {
        std::vector<float> samples(size_t(rate / 10) * channels);
        for (size_t i = 0; i < samples.size(); ++i) {
            const double t = double(i / channels) / rate;
            samples[i] = float(0.3 * std::sin(2 * M_PI * 440 * t) + 0.2 * std::sin(2 * M_PI * 1320 * t));
        }
        Mp3Settings settings;
        settings.rate = rate;
        settings.channels = channels;
        settings.kbps = 32;
        std::string reason;
        if (!encodeMp3(mp3 + name, samples, settings, reason)) std::fprintf(stderr, "%s\n", reason.c_str()), ok = false;
    }
    return ok ? 0 : 1;
}
