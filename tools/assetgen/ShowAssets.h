// The show's working directory, made from nothing but code: every picture of the image lists, the five
// 3DS scenes with their textures, the sprite rotation table, the music and the show file. Deterministic: the same bytes
// on every run.
#pragma once

#include <string>
#include <vector>

// Each writes its part under `dir`; false with `reason` on the first failure.
bool writeShowImages(const std::string& dir, std::string& reason);
bool writeShowScenes(const std::string& dir, std::string& reason);
bool writeShowMusic(const std::string& dir, std::string& reason);

// The show file (tools/assetgen/show.toml, built in), written as DIR/show.toml by the generator.
extern const char* const kShowFileText;

// The music before encoding: interleaved stereo at 44.1 kHz.
std::vector<float> synthesiseShowMusic();

// Show times of the flashes, where the music has an accent (crash) of its own.
extern const float kAccentTimes[11];
