// PixelArray: the one image type. A rectangle of 32-bit words, rows top to bottom, no padding:
// pixel (x, y) is word y * width + x. A word holds blue in bits 0-7, green 8-15, red 16-23 and a fourth
// byte in 24-31 (alpha of decoded images, 0 for computed colours).
#pragma once

#include <cstddef>
#include <cstdint>

class PixelArray {
public:
    PixelArray() = default;                        // empty: no storage, all sizes 0
    PixelArray(uint32_t width, uint32_t height);   // every word 0x000000FF
    ~PixelArray();
    PixelArray(const PixelArray&) = delete;
    PixelArray& operator=(const PixelArray&) = delete;
    PixelArray(PixelArray&& other) noexcept { *this = static_cast<PixelArray&&>(other); }
    PixelArray& operator=(PixelArray&& other) noexcept;

    // Gives an empty array width x height words of unset contents; returns the storage.
    uint32_t* create(uint32_t width, uint32_t height);
    void fill(uint32_t value);
    // Copies `size` words (this array's count) from source; source must hold at least that many.
    void copyFrom(const PixelArray& source);
    uint32_t* getPixels() const { return pixels; }

    uint32_t* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t size = 0;  // width * height, the word count of every whole-buffer operation
};

// Allocates width * height words, unset. Throws std::bad_alloc when the byte count does not fit in
// 32 bits, so an overflowing product fails instead of returning a short buffer.
uint32_t* allocateWords(uint32_t width, uint32_t height);
