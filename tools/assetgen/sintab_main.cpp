// softshow-sintab [PATH]: writes the rotation table file (default "sintab.dat").
#include <cstdio>
#include <string>

#include "tools/assetgen/SineTableFile.h"

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "sintab.dat";
    std::string reason;
    if (!writeSineTable(path, reason)) {
        std::fprintf(stderr, "softshow-sintab: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}
