// Tube drawing: generates a tube along a spline (geometry/tube.h) into a buffer
// kept for reuse and submits all its quads with one vertex-array draw, giving
// the picture of one normal and four vertices per quad in immediate mode.
#pragma once

#include "geometry/tube.h"

// Draws the tube of generate_tube with the caller's matrices, colour, program and
// culling. Outside any glBegin/glEnd; leaves the vertex and normal arrays disabled.
void draw_tube(spline& path, const vector3& up, double t0, double t1, int32_t steps, int32_t sides);

// Submits `quads` quads of generated vertices (4 per quad) as GL_QUADS.
void submit_tube_quads(const tube_vertex* vertices, int32_t quads);
