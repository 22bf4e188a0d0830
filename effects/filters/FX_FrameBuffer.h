// FX_FrameBuffer: keeps the frame at one place of the stack and puts it back at another, through the
// timeline's layers. layerMode 0 (save): the timeline copies the frame into this effect's own layer
// before it renders; nothing is drawn. layerMode 1 (load): the timeline copies layer `layerIndex` into
// layerCopy, which is copied (blendMode 0), added (1) or subtracted (2) over the frame. The layers are
// 512 x 384, so a loading frame buffer must be too.
//
//   FX_FrameBuffer save(512, 384, 0, 0);   // added first: gets layer 0
//   ... effects whose result is kept ...
//   FX_FrameBuffer load(512, 384, 1, 0);   // later in the stack
//   load.setBlendMode(1);                  // the kept picture is added back
#pragma once

#include "timeline/Effect.h"

class FX_FrameBuffer : public Effect {
public:
    FX_FrameBuffer(uint32_t width, uint32_t height, int layerMode, int layerIndex);

    void update() override { updateOpacity(); }
    void render() override;
};
