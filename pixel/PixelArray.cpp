#include "pixel/PixelArray.h"

#include <algorithm>
#include <new>

uint32_t* allocateWords(uint32_t width, uint32_t height) {
    const uint64_t bytes = uint64_t(width) * height * 4u;
    if (bytes > UINT32_MAX) throw std::bad_alloc();
    return new uint32_t[size_t(bytes / 4u)];
}

PixelArray::PixelArray(uint32_t w, uint32_t h) {
    create(w, h);
    fill(0x000000FFu);
}

PixelArray::~PixelArray() { delete[] pixels; }

uint32_t* PixelArray::create(uint32_t w, uint32_t h) {
    uint32_t* storage = allocateWords(w, h);
    delete[] pixels;
    pixels = storage;
    width = w;
    height = h;
    size = w * h;
    return pixels;
}

void PixelArray::fill(uint32_t value) { std::fill_n(pixels, size, value); }

void PixelArray::copyFrom(const PixelArray& source) { std::copy_n(source.pixels, size, pixels); }

PixelArray& PixelArray::operator=(PixelArray&& other) noexcept {
    if (this != &other) {
        delete[] pixels;
        pixels = other.pixels;
        width = other.width;
        height = other.height;
        size = other.size;
        other.pixels = nullptr;
        other.width = other.height = other.size = 0;
    }
    return *this;
}
