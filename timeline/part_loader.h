// The loading part: shown once while the main part loads its assets. Its one
// frame clears the window to black; it loads nothing.
#pragma once

#include "timeline/parts.h"

#include <cstdint>

class part_loader : public parts {
public:
    void draw(FrameTiming* timing, RenderContext* context, PointerState* pointer) override;
    void init(RenderContext* context) override;

    int32_t logo_slot_offset = 0;  // added to 10 to give the texture slot the frame binds
};
