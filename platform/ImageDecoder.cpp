#include "platform/ImageDecoder.h"

#include <png.h>
#include <turbojpeg.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

// stb_image for BMP and TGA only, compiled here with static linkage so no other format's code exists.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// Words are little-endian B, G, R, A bytes; the decoders are asked for the byte order that makes them.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr int kPngWordFormat = PNG_FORMAT_BGRA;
constexpr TJPF kJpegWordFormat = TJPF_BGRA;
#else
constexpr int kPngWordFormat = PNG_FORMAT_ARGB;
constexpr TJPF kJpegWordFormat = TJPF_ARGB;
#endif

std::string sizeText(uint64_t w, uint64_t h) { return std::to_string(w) + " x " + std::to_string(h); }

// The size checks every format passes before its pixels are allocated.
bool sizeAllowed(uint64_t w, uint64_t h, uint64_t maxBytes, const std::string& name, std::string& reason) {
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels) {
        reason = name + ": image too large (" + sizeText(w, h) + "; at most " + std::to_string(kMaxImageSide) +
                 " a side and " + std::to_string(kMaxImagePixels >> 20) + " Mpixel)";
        if (w == 0 || h == 0) reason = name + ": image has no pixels (" + sizeText(w, h) + ")";
        return false;
    }
    if (w * h * 4 > maxBytes) {
        char mib[32];
        std::snprintf(mib, sizeof mib, "%.1f MiB", double(w * h * 4) / double(1 << 20));
        reason = name + ": image " + sizeText(w, h) + " needs " + mib + ", over budget";
        return false;
    }
    return true;
}

bool decodePng(const unsigned char* bytes, size_t size, const std::string& name, DecodedImage& image,
               std::string& reason, uint64_t maxBytes) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    // Sixteen-bit files without colour-space chunks are sRGB like eight-bit ones: no gamma change.
    png.flags = PNG_IMAGE_FLAG_16BIT_sRGB;
    if (!png_image_begin_read_from_memory(&png, bytes, size)) {
        reason = name + ": not a readable PNG (" + png.message + ")";
        return false;
    }
    std::unique_ptr<png_image, void (*)(png_image*)> guard(&png, png_image_free);
    if (!sizeAllowed(png.width, png.height, maxBytes, name, reason)) return false;
    png.format = kPngWordFormat;
    image.words.resize(size_t(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, image.words.data(), int(png.width) * 4, nullptr)) {
        reason = name + ": cannot decode PNG (" + png.message + ")";
        image.words = {};
        return false;
    }
    image.width = png.width;
    image.height = png.height;
    return true;
}

bool decodeJpeg(const unsigned char* bytes, size_t size, const std::string& name, DecodedImage& image,
                std::string& reason, uint64_t maxBytes) {
    std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitDecompress(), tjDestroy);
    if (!tj) {
        reason = name + ": cannot start the JPEG decoder";
        return false;
    }
    int w = 0, h = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(tj.get(), bytes, (unsigned long)size, &w, &h, &subsampling, &colorspace) != 0) {
        reason = name + ": not a readable JPEG (" + tjGetErrorStr2(tj.get()) + ")";
        return false;
    }
    if (w < 0 || h < 0) {
        reason = name + ": not a readable picture (its header gives a negative size)";
        return false;
    }
    if (!sizeAllowed(uint64_t(w), uint64_t(h), maxBytes, name, reason)) return false;
    image.words.resize(size_t(w) * size_t(h));
    // A progressive file may hold thousands of scans that each cost a whole pass: stop after 500.
    const int flags = TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS;
    if (tjDecompress2(tj.get(), bytes, (unsigned long)size, reinterpret_cast<unsigned char*>(image.words.data()), w,
                      w * 4, h, kJpegWordFormat, flags) != 0 &&
        tjGetErrorCode(tj.get()) != TJERR_WARNING) {  // a warning (e.g. a truncated file) still gives a picture
        reason = name + ": cannot decode JPEG (" + tjGetErrorStr2(tj.get()) + ")";
        image.words = {};
        return false;
    }
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    return true;
}

bool decodeBmpOrTga(const unsigned char* bytes, size_t size, const std::string& name, DecodedImage& image,
                    std::string& reason, uint64_t maxBytes) {
    int w = 0, h = 0, channels = 0;
    const int length = size > size_t(INT32_MAX) ? INT32_MAX : int(size);
    if (!stbi_info_from_memory(bytes, length, &w, &h, &channels)) {
        reason = name + ": not a PNG, JPEG, BMP or TGA picture (" + stbi_failure_reason() + ")";
        return false;
    }
    if (w < 0 || h < 0) {
        reason = name + ": not a readable picture (its header gives a negative size)";
        return false;
    }
    if (!sizeAllowed(uint64_t(w), uint64_t(h), maxBytes, name, reason)) return false;
    std::unique_ptr<unsigned char, void (*)(void*)> rgba(stbi_load_from_memory(bytes, length, &w, &h, &channels, 4),
                                                         stbi_image_free);
    if (!rgba) {
        reason = name + ": cannot decode (" + stbi_failure_reason() + ")";
        return false;
    }
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.words.resize(size_t(w) * size_t(h));
    const unsigned char* p = rgba.get();
    for (uint32_t& word : image.words) {
        word = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16 | uint32_t(p[3]) << 24;
        p += 4;
    }
    return true;
}

}  // namespace

bool decodeImageBytes(const unsigned char* bytes, size_t size, const std::string& name, DecodedImage& image,
                      std::string& reason, uint64_t maxBytes) {
    image = DecodedImage();
    if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0)
        return decodePng(bytes, size, name, image, reason, maxBytes);
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return decodeJpeg(bytes, size, name, image, reason, maxBytes);
    return decodeBmpOrTga(bytes, size, name, image, reason, maxBytes);
}

bool decodeImageFile(const std::string& path, DecodedImage& image, std::string& reason, uint64_t maxBytes) {
    image = DecodedImage();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        reason = path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[1 << 16];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        if (bytes.size() + n > kMaxImageFileBytes) {
            reason = path + ": file larger than " + std::to_string(kMaxImageFileBytes >> 20) + " MiB";
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    if (std::ferror(file.get())) {
        reason = path + ": " + std::strerror(errno);
        return false;
    }
    if (bytes.empty()) {
        reason = path + ": empty file";
        return false;
    }
    return decodeImageBytes(bytes.data(), bytes.size(), path, image, reason, maxBytes);
}
