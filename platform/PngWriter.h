// Writes a frame (words 0x..RRGGBB, top row first) as an 8-bit RGB PNG; the fourth byte is dropped.
#pragma once

#include <cstdint>
#include <string>

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height, std::string& reason);
