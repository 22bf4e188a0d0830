// The image decoder: a file into pixel words with blue in bits 0-7, green 8-15, red 16-23 and the
// file's alpha in 24-31 (255 for opaque images), rows top first.
//
// Pictures are files people share, so every format goes through a decoder made for hostile input:
// PNG through libpng, JPEG through libjpeg-turbo, and only BMP and TGA (which real 3DS scenes name as
// textures) through a private copy of stb_image built for those two formats alone. Anything else is
// refused. The size is read from the header and checked before anything of the picture is allocated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kMaxImageSide = 16384;
constexpr uint64_t kMaxImagePixels = uint64_t(1) << 26;  // 64 Mpixel, 256 MiB of words
constexpr uint64_t kMaxImageFileBytes = uint64_t(1) << 28;  // a JPEG is read whole; none needs more

struct DecodedImage {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> words;
};

// False with a reason naming the file and the cause when it cannot be read or decoded, is too large,
// or its words would take more than `maxBytes` (the reason then says "over budget").
bool decodeImageFile(const std::string& path, DecodedImage& image, std::string& reason,
                     uint64_t maxBytes = kMaxImagePixels * 4);

// The same from bytes in memory; `name` stands for the file in reasons.
bool decodeImageBytes(const unsigned char* bytes, size_t size, const std::string& name, DecodedImage& image,
                      std::string& reason, uint64_t maxBytes = kMaxImagePixels * 4);
