// The stand-in main part used until the show's own main part exists: it loads
// nothing and each frame clears the window to black.
#pragma once

#include "timeline/parts.h"

class clear_part : public parts {
public:
    void draw(FrameTiming* timing, RenderContext* context, PointerState* pointer) override;
    void init(RenderContext* context) override;
};
