// The show written as C++, kept as the oracle of the show file (tools/assetgen/show.toml): a test builds
// both and compares them entry by entry. Eleven image lists and 75 effects in stacking order on the
// 122-second timeline: 74 that play, and one noise layer (the 16th) whose window ends before it starts.
// It is never active, but building it draws random numbers, which every later random draw depends on.
// Loading needs the show's folder as the working directory.
#pragma once

#include "showfile/ShowFile.h"
#include "timeline/Timeline.h"

// Loads every image list (a missing file is fatal), then sets the frame size and end time and builds
// and adds every effect.
ShowContent buildCompiledShow(Timeline& timeline);

// The generated show file, show.toml in the working directory, read, built and installed into `timeline`
// as the program does; a failure fails the calling test.
ShowContent loadShowFile(Timeline& timeline);
