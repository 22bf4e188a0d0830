// The show: eleven image lists and 75 effects in stacking order on the 122-second timeline: 74 that play,
// and one noise layer (the 16th) whose window ends before it starts. It is never active, but building it
// draws random numbers, which every later random draw depends on. Loading needs the show's folder as the
// working directory (see tools/assetgen).
#pragma once

#include <memory>
#include <vector>

#include "pixel/ImageList.h"
#include "timeline/Effect.h"
#include "timeline/Timeline.h"

struct ShowContent {
    std::vector<std::unique_ptr<ImageList>> lists;  // L1 .. L11
    std::vector<std::unique_ptr<Effect>> effects;   // in stacking order, as added to the timeline
};

// Loads every image list (a missing file is fatal), then sets the frame size and end time and builds
// and adds every effect. The frame size is set between the two, as the show's start-up does.
ShowContent buildShow(Timeline& timeline);

constexpr const char* kShowMusicFile = "Velm_test2.mp3";
