// softshow-sintab [PATH]: writes the rotation table file (default "sintab.dat").
#include <cstdio>
#include <string>

#include "tools/assetgen/SineTableFile.h"
#include "tools/assetgen/ToolArguments.h"

int main(int argc, char** argv) {
    if (const auto status = usageStatus(argc, argv,
                                        "usage: softshow-sintab [FILE]\n"
                                        "  writes the rotating sprites' sine table (256 sines, then 256 cosines, as\n"
                                        "  little-endian 32-bit integers scaled by 1024) to FILE (default sintab.dat)\n"))
        return *status;
    const std::string path = argc > 1 ? argv[1] : "sintab.dat";
    std::string reason;
    if (!writeSineTable(path, reason)) {
        std::fprintf(stderr, "softshow-sintab: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}
