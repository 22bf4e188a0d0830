// Loaded pictures. loadImage fills an empty PixelArray from an image file; an ImageList holds a sequence
// of them (the frames of an animation, or a set of pictures), in the order they were added, and owns them.
//
// A file that cannot be read is fatal: "Texture file not found!" captioned "Error", a line on stderr
// naming the file and the cause, exit status 0.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pixel/PixelArray.h"

// Returns the storage of `array`, now the picture's width x height words.
uint32_t* loadImage(PixelArray& array, const std::string& path);

class ImageList {
public:
    uint32_t* add(const std::string& path);  // appends and loads a new image
    PixelArray* get(int index) const;        // null outside 0 .. count - 1

    std::vector<std::unique_ptr<PixelArray>> images;
    int count = 0;
};
