// Shared by the fuzz targets: inputs that must be files are written to a private scratch folder, and
// checks that hold for every input abort (a finding) when they fail.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fuzz {

// A folder of this process's own under the temporary directory, made on first use.
inline const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d =
            std::filesystem::temp_directory_path() / ("softshow-fuzz-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// Writes the input to scratch()/name and returns the path.
inline std::string asFile(const char* name, const unsigned char* data, size_t size) {
    const std::filesystem::path p = scratch() / name;
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return p.string();
}

// An invariant of the code under test; a failure is a finding, reported like a crash.
inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz: invariant broken: %s\n", what);
    std::abort();
}

}  // namespace fuzz
