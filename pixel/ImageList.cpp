#include "pixel/ImageList.h"

#include <algorithm>

#include "platform/ImageDecoder.h"
#include "platform/MessageBox.h"

uint32_t* loadImage(PixelArray& array, const std::string& path) {
    DecodedImage image;
    std::string reason;
    if (!decodeImageFile(path, image, reason)) reportFatal("Texture file not found!", "Error", reason);
    array.create(image.width, image.height);
    std::copy(image.words.begin(), image.words.end(), array.pixels);
    return array.pixels;
}

uint32_t* ImageList::add(const std::string& path) {
    images.push_back(std::make_unique<PixelArray>());
    ++count;
    return loadImage(*images.back(), path);
}

PixelArray* ImageList::get(int index) const {
    return index >= 0 && index < count ? images[size_t(index)].get() : nullptr;
}
