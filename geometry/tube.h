// Tube geometry: sweeps a ring of `sides` quads along a spline's position channel,
// with the radius taken from the x of its second channel, into a caller-owned
// buffer of vertices (normal and position per corner, corners A, B, C, D per quad).
// No GL here; render/tube_draw.cpp submits the buffer.
#pragma once

#include "geometry/spline.h"
#include "geometry/vector3.h"

#include <cstdint>
#include <vector>

// One corner as GL_N3F_V3F interleaved data: the quad's normal, then the position.
struct tube_vertex {
    float nx, ny, nz;
    float x, y, z;
};
static_assert(sizeof(tube_vertex) == 24, "tube_vertex is six packed floats");

constexpr int32_t tube_max_sides = 999;
// A tube asking for more quads than this draws nothing (the show's largest has 4000).
constexpr int64_t tube_max_quads = 4000000;

// Number of segments for the parameter range and step count: trunc(steps + steps *
// frac(t1) / t1), or 0 when the arguments draw nothing (sides outside 1..999,
// steps < 1, t1 = 0, too many quads).
int32_t tube_segment_count(double t1, int32_t steps, int32_t sides);

// Writes the tube's quads into `out` (4 vertices each, in quad order), growing it
// only when it is too small and never shrinking it, so a reused buffer makes the
// call allocation-free. Sets the spline's evaluated-channel count to 2. Returns the
// number of quads written.
int32_t generate_tube(spline& path, const vector3& up, double t0, double t1, int32_t steps, int32_t sides,
                      std::vector<tube_vertex>& out);
