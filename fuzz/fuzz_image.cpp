// Picture decoding: every byte string through the same entry the show's image lists use.
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/ImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedImage image;
    std::string reason;
    // A budget of 4 MiB keeps each run small; the size checks before it are the ones under test.
    if (decodeImageBytes(data, size, "input", image, reason, uint64_t(4) << 20)) {
        fuzz::require(image.width >= 1 && image.height >= 1 && image.width <= kMaxImageSide &&
                          image.height <= kMaxImageSide,
                      "a decoded picture has a size within the limits");
        fuzz::require(image.words.size() == size_t(image.width) * image.height, "one word per pixel");
    } else {
        fuzz::require(reason.rfind("input: ", 0) == 0 && image.words.empty(), "a refusal names the input, keeps nothing");
    }
    return 0;
}
