// The image decoder: a file (PNG, JPEG, and whatever else the decoder reads) into pixel words with blue
// in bits 0-7, green 8-15, red 16-23 and the file's alpha in 24-31 (255 for opaque images), rows top
// first. Sizes are checked before anything of the picture is allocated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kMaxImageSide = 16384;
constexpr uint64_t kMaxImagePixels = uint64_t(1) << 26;  // 64 Mpixel, 256 MiB of words

struct DecodedImage {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> words;
};

// False with a reason naming the file and the cause when it cannot be read, decoded or is too large.
bool decodeImageFile(const std::string& path, DecodedImage& image, std::string& reason);
