// The gallery: every effect of the library and of the show, each alone over a generated test picture,
// rendered at 25 frames per second with seed 1 and written as PNGs at a few times, with an index.html
// that shows them by name. `softshow --gallery DIR`.
#pragma once

#include <string>

// Returns the process exit status.
int writeGallery(const std::string& dir);
