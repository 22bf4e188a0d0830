// A readable summary of one 3DS file as the show would read it (no log written, textures only checked):
// meshes, materials, cameras, lights, the keyframer, then every problem met, one line each.
#pragma once

#include <cstdio>
#include <string>

// Returns 0 when the file was read, 1 when it could not be opened or holds no main chunk.
int printSceneInfo(const std::string& path, std::FILE* out);
