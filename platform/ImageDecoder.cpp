#include "platform/ImageDecoder.h"

#include <stb/stb_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

bool decodeImageFile(const std::string& path, DecodedImage& image, std::string& reason) {
    image = DecodedImage();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        reason = path + ": " + std::strerror(errno);
        return false;
    }
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_file(file.get(), &w, &h, &channels)) {
        reason = path + ": not a readable image (" + stbi_failure_reason() + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || uint32_t(w) > kMaxImageSide || uint32_t(h) > kMaxImageSide ||
        uint64_t(w) * uint64_t(h) > kMaxImagePixels) {
        reason = path + ": image too large (" + std::to_string(w) + " x " + std::to_string(h) + ")";
        return false;
    }
    std::unique_ptr<unsigned char, void (*)(void*)> rgba(stbi_load_from_file(file.get(), &w, &h, &channels, 4),
                                                         stbi_image_free);
    if (!rgba) {
        reason = path + ": cannot decode (" + stbi_failure_reason() + ")";
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
