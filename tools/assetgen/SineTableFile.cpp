#include "tools/assetgen/SineTableFile.h"

#include <cmath>
#include <cstdio>

std::vector<int32_t> sineTableValues() {
    std::vector<int32_t> values(512);
    const double step = 2.0 * 3.14159265358979323846 / 256.0;
    for (int i = 0; i < 256; ++i) {
        values[size_t(i)] = int32_t(std::lround(std::sin(i * step) * 1024.0));
        values[size_t(256 + i)] = int32_t(std::lround(std::cos(i * step) * 1024.0));
    }
    return values;
}

bool writeSineTable(const std::string& path, std::string& reason) {
    unsigned char bytes[512 * 4];
    const std::vector<int32_t> values = sineTableValues();
    for (size_t i = 0; i < values.size(); ++i)
        for (int b = 0; b < 4; ++b) bytes[i * 4 + size_t(b)] = (unsigned char)(uint32_t(values[i]) >> (8 * b));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    if (f && std::fclose(f) != 0) reason = "cannot write " + path;
    if (!ok) reason = "cannot write " + path;
    return ok && reason.empty();
}
