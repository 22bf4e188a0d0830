// Loaded pictures. loadImage fills an empty PixelArray from an image file; an ImageList holds a sequence
// of them (the frames of an animation, or a set of pictures), in the order they were added, and owns them.
//
// A file that cannot be read is fatal: "Texture file not found!" captioned "Error", a line on stderr
// naming the file and the cause, exit status 0.
//
// Pictures share one memory budget (default 1 GiB of decoded words): every picture loaded since the last
// resetPictureBudget() counts, and the file whose picture would take the total past the limit is fatal
// before it is decoded, named with its size. A show's loading starts with a reset; pictures freed in
// between are not given back, so the budget bounds what one loading can take.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pixel/PixelArray.h"

constexpr uint64_t kDefaultPictureMemory = uint64_t(1) << 30;

void setPictureMemoryLimit(uint64_t bytes);
uint64_t pictureMemoryLimit();
uint64_t pictureMemoryUsed();
void resetPictureBudget();

// Returns the storage of `array`, now the picture's width x height words.
uint32_t* loadImage(PixelArray& array, const std::string& path);
// The same without the fatal report: false with `reason` naming the file when it cannot be loaded or
// would pass the budget; `array` is then unchanged.
bool tryLoadImage(PixelArray& array, const std::string& path, std::string& reason);

class ImageList {
public:
    uint32_t* add(const std::string& path);  // appends and loads a new image
    // Appends only what loads (see tryLoadImage); with `decoded`, a copy of that picture of `path` instead
    // of decoding the file again, counted against the budget the same way.
    bool tryAdd(const std::string& path, std::string& reason, const PixelArray* decoded = nullptr);
    PixelArray* get(int index) const;        // null outside 0 .. count - 1

    std::vector<std::unique_ptr<PixelArray>> images;
    int count = 0;
};
