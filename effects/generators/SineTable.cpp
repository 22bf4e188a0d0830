#include "effects/generators/SineTable.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/MessageBox.h"

int32_t sinTable[256];
int32_t cosTable[256];
int32_t rotationStartU[256];
int32_t rotationStartV[256];
bool rotationTablesLoaded = false;

namespace {

bool readTable(std::FILE* f, int32_t* table) {
    unsigned char bytes[256 * 4];
    if (std::fread(bytes, 1, sizeof bytes, f) != sizeof bytes) return false;
    for (int i = 0; i < 256; ++i) {
        const unsigned char* b = bytes + i * 4;
        table[i] = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    }
    return true;
}

}  // namespace

void loadSineTable(int w, int h) {
    std::FILE* f = std::fopen(kSineTableFile, "rb");
    if (!f) reportFatal("Can't read sintab.dat", "Error", std::string(kSineTableFile) + ": " + std::strerror(errno));
    const bool complete = readTable(f, sinTable) && readTable(f, cosTable);
    std::fclose(f);
    if (!complete)
        reportFatal("Can't read sintab.dat", "Error",
                    std::string(kSineTableFile) + ": shorter than 512 four-byte values (2048 bytes)");
    const int32_t hw = w >> 1, hh = h >> 1;
    for (int i = 0; i < 256; ++i) {
        // 32-bit wrap-around arithmetic, done unsigned so no overflow is undefined.
        const uint32_t S = uint32_t(sinTable[i]), C = uint32_t(cosTable[i]);
        rotationStartU[i] = int32_t((S + 1024u) * uint32_t(hw) - C * uint32_t(hh));
        rotationStartV[i] = int32_t((1024u - C) * uint32_t(hh) - S * uint32_t(hw));
    }
    rotationTablesLoaded = true;
}
