// softshow-sintab [PATH]: writes the rotation table file (default "sintab.dat").
#include <cstdio>
#include <string>

#include "tools/assetgen/SineTableFile.h"

int main(int argc, char** argv) {
    const std::string arg = argc > 1 ? argv[1] : "";
    if (arg == "--help" || arg == "-h" || argc > 2 || (!arg.empty() && arg[0] == '-')) {
        std::fprintf(arg == "--help" || arg == "-h" ? stdout : stderr,
                     "usage: softshow-sintab [FILE]\n"
                     "  writes the rotating sprites' sine table (256 sines, then 256 cosines, as little-endian\n"
                     "  32-bit integers scaled by 1024) to FILE (default sintab.dat)\n");
        return arg == "--help" || arg == "-h" ? 0 : 2;
    }
    const std::string path = arg.empty() ? "sintab.dat" : arg;
    std::string reason;
    if (!writeSineTable(path, reason)) {
        std::fprintf(stderr, "softshow-sintab: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}
