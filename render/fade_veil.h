// The closing fade's veil: the picture's rectangle of the window covered, opaque,
// in the fade's grey level, with the attributes saved and restored around it.
#pragma once

struct RenderContext;

// Draws the veil in grey `amount` over the rectangle (0, y, width, height) of the
// window framebuffer.
void draw_fade_veil(RenderContext& context, double amount, int y, int width, int height);
