// Full-screen passes: a fragment program run over a quad in normalised device
// coordinates into a render target, pass after pass, with up to three inputs.
// The vertex stage is the fixed-function pipeline.
#pragma once

#include <array>

struct RenderContext;
class ShaderProgramTable;

// The texture coordinates of the quad's four corners, in drawing order
// (-1,-1), (1,-1), (1,1), (-1,1): s spans 0..scale, mirrored left to right
// unless x_scale is positive.
std::array<std::array<float, 2>, 4> screen_quad_tex_coords(double x_scale, float tex_scale);

// Draws the quad: optionally replaces the rotation part of the model-view matrix
// by the identity, rotates by `angle` degrees about z, scales by
// (|x_scale|, y_scale, 0). Changes the current matrix; callers save it.
void draw_screen_quad(double angle, double x_scale, double y_scale, bool clear_rotation,
                      float tex_scale);

// Blending, lighting, colour material, light 0, 2D texturing and fog off; colour white.
void reset_flat_state();

// Identity in the projection matrix, the active unit's texture matrix and the
// model-view matrix, in that order, leaving the model-view matrix current: the
// matrices a pass in normalised device coordinates starts from.
void load_identity_matrices();

// Runs `program` over target `target` `passes` times at width x height. The
// first pass samples `source` as "texture2d_1", later passes the destination
// (each reads the one before); `second` and `third` (when 0 or more) are bound
// as "texture2d_2" and "texture2d_3". Every pass resolves into `destination`.
// The window framebuffer is bound at the end; the program stays current.
// `name` labels the debug GL error check that runs after every pass.
void run_screen_pass(RenderContext& context, const ShaderProgramTable& table, int program,
                     int target, int passes, int width, int height, int source, int destination,
                     int second, int third, const char* name = "screen pass");
