// Compares a frame with a reference PNG in the source tree, bit for bit in its colour bytes (the fourth
// byte is not stored). With SOFTSHOW_UPDATE_REFERENCES set it writes the frame as the new reference
// instead; look at it before committing. On a mismatch this run's frame is written to the temp folder.
#pragma once

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pixel/PixelArray.h"

inline bool matchesReferencePicture(const PixelArray& frame, const std::filesystem::path& reference, std::string& why) {
    const int w = int(frame.width), h = int(frame.height);
    std::vector<unsigned char> rgb(frame.size * 3);
    for (uint32_t i = 0; i < frame.size; ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = (unsigned char)(frame.pixels[i] >> (16 - 8 * c));
    if (std::getenv("SOFTSHOW_UPDATE_REFERENCES")) return stbi_write_png(reference.c_str(), w, h, 3, rgb.data(), w * 3);
    int rw = 0, rh = 0, n = 0;
    unsigned char* expected = stbi_load(reference.c_str(), &rw, &rh, &n, 3);
    const bool same = expected && rw == w && rh == h && std::equal(rgb.begin(), rgb.end(), expected);
    stbi_image_free(expected);
    if (!same) {
        const auto actual = std::filesystem::temp_directory_path() / ("softshow-actual-" + reference.filename().string());
        stbi_write_png(actual.c_str(), w, h, 3, rgb.data(), w * 3);
        why = reference.string() + " is missing or differs; this run's frame: " + actual.string();
    }
    return same;
}
