#include "pixel/ImageList.h"

#include <algorithm>
#include <cstdio>

#include "platform/ImageDecoder.h"
#include "platform/MessageBox.h"

namespace {
uint64_t budgetLimit = kDefaultPictureMemory;
uint64_t budgetUsed = 0;

std::string mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / double(1 << 20));
    return text;
}
}  // namespace

void setPictureMemoryLimit(uint64_t bytes) { budgetLimit = bytes; }
uint64_t pictureMemoryLimit() { return budgetLimit; }
uint64_t pictureMemoryUsed() { return budgetUsed; }
void resetPictureBudget() { budgetUsed = 0; }

namespace {
constexpr const char* kOverBudget = ", over budget";
}  // namespace

bool tryLoadImage(PixelArray& array, const std::string& path, std::string& reason) {
    DecodedImage image;
    const uint64_t left = budgetUsed < budgetLimit ? budgetLimit - budgetUsed : 0;
    if (!decodeImageFile(path, image, reason, left)) {
        if (reason.find(kOverBudget) != std::string::npos)
            reason += ": pictures already loaded take " + mebibytes(budgetUsed) + " of the " + mebibytes(budgetLimit) +
                      " allowed (--max-image-memory MIB raises it)";
        return false;
    }
    budgetUsed += uint64_t(image.words.size()) * 4;
    array.create(image.width, image.height);
    std::copy(image.words.begin(), image.words.end(), array.pixels);
    return true;
}

uint32_t* loadImage(PixelArray& array, const std::string& path) {
    std::string reason;
    if (!tryLoadImage(array, path, reason))
        reportFatal(reason.find(kOverBudget) == std::string::npos ? "Texture file not found!"
                                                                   : "Pictures take more memory than allowed!",
                    "Error", reason);
    return array.pixels;
}

uint32_t* ImageList::add(const std::string& path) {
    images.push_back(std::make_unique<PixelArray>());
    ++count;
    return loadImage(*images.back(), path);
}

bool ImageList::tryAdd(const std::string& path, std::string& reason, const PixelArray* decoded) {
    auto image = std::make_unique<PixelArray>();
    if (decoded) {
        const uint64_t bytes = uint64_t(decoded->size) * 4;
        if (budgetUsed + bytes > budgetLimit) {
            reason = path + ": pictures already loaded take " + mebibytes(budgetUsed) + " of the " + mebibytes(budgetLimit) +
                     " allowed (--max-image-memory MIB raises it)";
            return false;
        }
        budgetUsed += bytes;
        image->create(decoded->width, decoded->height);
        std::copy(decoded->pixels, decoded->pixels + decoded->size, image->pixels);
    } else if (!tryLoadImage(*image, path, reason)) {
        return false;
    }
    images.push_back(std::move(image));
    ++count;
    return true;
}

PixelArray* ImageList::get(int index) const {
    return index >= 0 && index < count ? images[size_t(index)].get() : nullptr;
}
