#include "platform/PngWriter.h"

#include <stb/stb_image_write.h>

#include <cerrno>
#include <cstring>
#include <vector>

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height, std::string& reason) {
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3u);
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
        rgb[i * 3 + 0] = (unsigned char)(pixels[i] >> 16);
        rgb[i * 3 + 1] = (unsigned char)(pixels[i] >> 8);
        rgb[i * 3 + 2] = (unsigned char)(pixels[i]);
    }
    errno = 0;
    if (!stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3)) {
        reason = "cannot write " + path + (errno ? std::string(": ") + std::strerror(errno) : std::string());
        return false;
    }
    return true;
}
