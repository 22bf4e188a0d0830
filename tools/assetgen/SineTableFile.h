// The rotation table file "sintab.dat": sin and cos of i * 2 pi / 256 for i = 0..255, scaled by 1024 and
// rounded to nearest, as 512 little-endian int32 (all sines, then all cosines).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<int32_t> sineTableValues();
bool writeSineTable(const std::string& path, std::string& reason);
