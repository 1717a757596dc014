// Tube generation: per segment, two rings of corner points are built from the
// spline samples and the frames around them, then emitted as quads A, B, C, D with
// one normal each. Rings are computed once per segment; a quad's corners are the
// same floats the corner-by-corner formulas give.
#include "geometry/tube.h"

#include <cmath>

namespace {

// The ring angle tables: index `sides` is the full turn.
struct angle_tables {
    float sin[tube_max_sides + 1];
    float cos[tube_max_sides + 1];

    explicit angle_tables(int32_t sides) {
        const double step = -6.283185307179586 / sides;
        for (int32_t i = 0; i <= sides; ++i) {
            sin[i] = static_cast<float>(std::sin(i * step));
            cos[i] = static_cast<float>(std::cos(i * step));
        }
    }
};

bool integral(double u) { return std::fabs(u - std::trunc(u)) < 0.0001; }

int64_t clamped_key(double u, int64_t keys) {
    const double w = std::trunc(u);
    if (!(w > 0.0)) return 0;  // also NaN
    if (w >= double(keys - 1)) return keys - 1;
    return int64_t(w);
}

// The centre-line point at u, and for the first sample also the second channel:
// an integral u takes the key itself, otherwise the spline is evaluated.
void sample(const spline& path, double u, bool first_sample, bool full, vector3& point, vector3& radius) {
    const auto stored = int64_t(path.positions.size());
    const int64_t keys = path.count >= 1 && path.count < stored ? path.count : stored;
    point = path.positions[std::size_t(clamped_key(u, keys))];
    if (first_sample && !path.second.empty()) {
        radius = path.second[std::size_t(clamped_key(u, int64_t(path.second.size())))];
    }
    if (integral(u)) return;
    vector3 unused_third;
    if (full) {
        path.evaluate_all(float(u), point, first_sample ? radius : unused_third, unused_third);
    } else {
        path.evaluate(float(u), point);
    }
}

// The ring frame for the direction from `from` to `to`: unit N and B, both zero
// when that direction is parallel to `up` (or zero).
void frame(const vector3& from, const vector3& to, const vector3& up, vector3& n, vector3& b) {
    vector3 t = sub(to, from);
    normalise(t);
    b = cross(t, up);
    normalise(b);
    n = cross(t, b);
    b = cross(n, t);
    normalise(n);
    normalise(b);
}

struct point {
    float x, y, z;
};

// Ring corner i: centre + nr * sin[i] + br * cos[i], summed in that order, as the
// vector3 operations would. nr and br are scaled unit vectors (never unset), so
// only an unset centre needs those operations' zero rule.
void build_ring(point* ring, const vector3& centre, const vector3& nr, const vector3& br, const angle_tables& a,
                int32_t sides) {
    for (int32_t i = 0; i <= sides; ++i) {
        if (centre.state == 0) {
            const vector3 p = add(add(centre, scale(nr, a.sin[i])), scale(br, a.cos[i]));
            ring[i] = {p.x, p.y, p.z};
            continue;
        }
        ring[i] = {centre.x + nr.x * a.sin[i] + br.x * a.cos[i], centre.y + nr.y * a.sin[i] + br.y * a.cos[i],
                   centre.z + nr.z * a.sin[i] + br.z * a.cos[i]};
    }
}

void put(tube_vertex& v, const point& normal, const point& p) { v = {normal.x, normal.y, normal.z, p.x, p.y, p.z}; }

}  // namespace

int32_t tube_segment_count(double t1, int32_t steps, int32_t sides) {
    if (sides < 1 || sides > tube_max_sides || steps < 1 || t1 == 0.0 || !std::isfinite(t1)) return 0;
    const double fraction = t1 - std::trunc(t1);
    const double segments = std::trunc(steps + steps * fraction / t1);
    if (!(segments >= 1.0) || segments * sides > double(tube_max_quads)) return 0;
    return int32_t(segments);
}

int32_t generate_tube(spline& path, const vector3& up, double t0, double t1, int32_t steps, int32_t sides,
                      std::vector<tube_vertex>& out) {
    const int32_t segments = tube_segment_count(t1, steps, sides);
    if (segments == 0 || path.positions.empty() || !std::isfinite(t0)) return 0;
    const int64_t quads = int64_t(segments) * sides;
    if (out.size() < std::size_t(quads) * 4) out.resize(std::size_t(quads) * 4);

    const angle_tables angles(sides);
    const double dt = (std::trunc(t1) - std::trunc(t0)) / steps;  // whole parameters only
    double u0 = t0, u1 = t0 + dt, u2 = t0 + 2 * dt;
    point ring0[tube_max_sides + 1], ring1[tube_max_sides + 1];
    tube_vertex* v = out.data();
    path.channels = 2;
    for (int32_t j = 0; j < segments; ++j) {
        vector3 p0, p1, p2, s0 = vector3::of(0, 0, 0), ignored;
        sample(path, u0, true, true, p0, s0);
        sample(path, u1, false, true, p1, ignored);
        sample(path, u2, false, false, p2, ignored);
        const float r = s0.x;
        vector3 n0, b0, n1, b1;
        frame(p0, p1, up, n0, b0);
        frame(p1, p2, up, n1, b1);
        build_ring(ring0, p0, scale(n0, r), scale(b0, r), angles, sides);
        build_ring(ring1, p1, scale(n1, r), scale(b1, r), angles, sides);
        const float lift = float(j % 2);
        for (int32_t i = 0; i < sides; ++i) {
            // N0 sin + B0 cos from the unit frame (both normalised, never unset),
            // with odd segments lifted by 1 in z.
            const point normal = {n0.x * angles.sin[i] + b0.x * angles.cos[i], n0.y * angles.sin[i] + b0.y * angles.cos[i],
                                  n0.z * angles.sin[i] + b0.z * angles.cos[i] + lift};
            put(v[0], normal, ring0[i]);
            put(v[1], normal, ring1[i]);
            put(v[2], normal, ring1[i + 1]);
            put(v[3], normal, ring0[i + 1]);
            v += 4;
        }
        u0 += dt;
        u1 += dt;
        u2 += dt;
    }
    return int32_t(quads);
}
