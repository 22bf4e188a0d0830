// softshow-assetgen [DIR]: writes the show's working directory (default build/show): the pictures of the
// image lists, the five scenes with their textures, sintab.dat, Velm_test2.mp3 and show.toml.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/assetgen/ShowAssets.h"
#include "tools/assetgen/SineTableFile.h"
#include "tools/assetgen/ToolArguments.h"

int main(int argc, char** argv) {
    if (const auto status = usageStatus(argc, argv,
                                        "usage: softshow-assetgen [DIR]\n"
                                        "  writes every file of the show (pictures, scenes, sintab.dat, the music, show.toml) into DIR\n"
                                        "  (default build/show); the same bytes on every run\n"))
        return *status;
    const std::string dir = argc > 1 ? argv[1] : "build/show";
    const auto start = std::chrono::steady_clock::now();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string reason;
    bool ok = !ec;
    if (!ok) reason = "cannot create " + dir + ": " + ec.message();
    ok = ok && writeShowImages(dir, reason);
    ok = ok && writeShowScenes(dir, reason);
    ok = ok && writeSineTable((std::filesystem::path(dir) / "sintab.dat").string(), reason);
    ok = ok && writeShowMusic(dir, reason);
    if (ok) {
        const std::string showFile = (std::filesystem::path(dir) / "show.toml").string();
        std::ofstream out(showFile, std::ios::binary);
        out << kShowFileText;
        out.close();
        if (!out) ok = false, reason = "cannot write " + showFile;
    }
    if (!ok) {
        std::fprintf(stderr, "softshow-assetgen: %s\n", reason.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("softshow-assetgen: wrote the show into %s in %.1f s\n", dir.c_str(), seconds);
    return 0;
}
