// Tube drawing: submits the quads of a tube generated along a spline
// (geometry/tube.h) with one vertex-array draw, giving the picture of one normal
// and four vertices per quad in immediate mode.
#pragma once

#include "geometry/tube.h"

// Submits `quads` quads of generated vertices (4 per quad) as GL_QUADS with the
// caller's matrices, colour, program and culling. Outside any glBegin/glEnd;
// leaves the vertex and normal arrays disabled.
void submit_tube_quads(const tube_vertex* vertices, int32_t quads);
