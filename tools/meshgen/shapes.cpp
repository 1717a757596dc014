// Surface builders: every shape is a grid of samples whose triangles face outward;
// collapsed rows (poles, closed ends) are left to the mesh to drop and weld.
#include "tools/meshgen/shapes.h"

#include <algorithm>
#include <cmath>

namespace meshgen {

patch grid(int nu, int nv, bool wrap_u, const std::function<vec3(int, int)>& point) {
    patch p;
    const int columns = wrap_u ? nu : nu + 1;
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i < columns; ++i) p.add(point(i, j));
    auto at = [&](int i, int j) { return static_cast<uint32_t>(j * columns + (wrap_u ? i % nu : i)); };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) p.quad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
    return p;
}

std::vector<profile_point> smooth_profile(const std::vector<profile_point>& c, int n) {
    std::vector<profile_point> out;
    const int segments = static_cast<int>(c.size()) - 1;
    for (int k = 0; k <= n; ++k) {
        const double s = static_cast<double>(k) * segments / n;
        const int i = std::min(static_cast<int>(s), segments - 1);
        const double t = s - i;
        const profile_point p0 = c[std::max(i - 1, 0)], p1 = c[i], p2 = c[i + 1];
        const profile_point p3 = c[std::min(i + 2, segments)];
        auto cr = [t](double a, double b, double cc, double d) {
            return 0.5 * ((2 * b) + (-a + cc) * t + (2 * a - 5 * b + 4 * cc - d) * t * t +
                          (-a + 3 * b - 3 * cc + d) * t * t * t);
        };
        out.push_back({std::max(0.0, cr(p0.r, p1.r, p2.r, p3.r)), cr(p0.y, p1.y, p2.y, p3.y)});
    }
    // The ends stay exactly where the controls put them (closed poles stay closed).
    out.front() = c.front();
    out.back() = c.back();
    return out;
}

patch lathe(const std::vector<profile_point>& profile, int segments, vec3 centre,
            const std::function<double(double, int, double)>& shape, double scale_x, double scale_z) {
    const int rows = static_cast<int>(profile.size()) - 1;
    return grid(segments, rows, true, [&](int i, int j) {
        const double theta = 2.0 * M_PI * i / segments;
        double r = profile[j].r;
        if (shape) r = shape(theta, j, r);
        return vec3{centre.x + scale_x * r * std::cos(theta), centre.y + profile[j].y,
                    centre.z + scale_z * r * std::sin(theta)};
    });
}

patch ellipsoid(vec3 centre, vec3 radii, int segments, int rings) {
    return grid(segments, rings, true, [&](int i, int j) {
        const double theta = 2.0 * M_PI * i / segments;
        const double a = M_PI * j / rings;  // 0 at the bottom pole
        const double r = std::sin(a);
        return vec3{centre.x + radii.x * r * std::cos(theta), centre.y - radii.y * std::cos(a),
                    centre.z + radii.z * r * std::sin(theta)};
    });
}

patch torus(vec3 centre, double major, double minor, int segments, int sides, double tilt_degrees) {
    const double c = std::cos(tilt_degrees * M_PI / 180.0), s = std::sin(tilt_degrees * M_PI / 180.0);
    patch p = grid(segments, sides, true, [&](int i, int j) {
        const double theta = 2.0 * M_PI * i / segments;
        const double phi = 2.0 * M_PI * (j % sides) / sides;
        const double r = major + minor * std::cos(phi);
        const vec3 local{r * std::cos(theta), minor * std::sin(phi), r * std::sin(theta)};
        return vec3{centre.x + c * local.x - s * local.y, centre.y + s * local.x + c * local.y, centre.z + local.z};
    });
    return p;
}

vec3 bezier(vec3 a, vec3 b, vec3 c, vec3 d, double t) {
    const double u = 1 - t;
    return a * (u * u * u) + b * (3 * u * u * t) + c * (3 * u * t * t) + d * (t * t * t);
}

namespace {

struct frame {
    vec3 centre, tangent, normal, binormal;
    double radius;
};

// Frames along the curve by parallel transport, so the tube does not twist.
std::vector<frame> transport_frames(const std::function<vec3(double)>& curve,
                                    const std::function<double(double)>& radius, int samples) {
    std::vector<frame> frames;
    for (int k = 0; k <= samples; ++k) {
        const double t = static_cast<double>(k) / samples;
        const double h = 1e-4;
        const vec3 tangent = normalised(curve(std::min(1.0, t + h)) - curve(std::max(0.0, t - h)));
        vec3 normal;
        if (frames.empty()) {
            const vec3 helper = std::fabs(tangent.y) < 0.9 ? vec3{0, 1, 0} : vec3{1, 0, 0};
            normal = normalised(cross(cross(tangent, helper), tangent));
        } else {
            const vec3 previous = frames.back().normal;
            normal = normalised(previous - tangent * dot(previous, tangent));
        }
        frames.push_back({curve(t), tangent, normal, cross(tangent, normal), radius(t)});
    }
    return frames;
}

}  // namespace

patch tube(const std::function<vec3(double)>& curve, const std::function<double(double)>& radius, int samples,
           int sides, int cap_rings) {
    const std::vector<frame> body = transport_frames(curve, radius, samples);
    // Rings: a hemispherical cap before the first frame, the body, a cap after the last.
    std::vector<frame> rings;
    for (int k = 0; k < cap_rings; ++k) {
        const double a = M_PI / 2 * k / cap_rings;  // 0 at the tip
        frame f = body.front();
        f.centre = f.centre - f.tangent * (f.radius * std::cos(a));
        f.radius *= std::sin(a);
        rings.push_back(f);
    }
    rings.insert(rings.end(), body.begin(), body.end());
    for (int k = cap_rings - 1; k >= 0; --k) {
        const double a = M_PI / 2 * k / cap_rings;
        frame f = body.back();
        f.centre = f.centre + f.tangent * (f.radius * std::cos(a));
        f.radius *= std::sin(a);
        rings.push_back(f);
    }
    const int nv = static_cast<int>(rings.size()) - 1;
    return grid(sides, nv, true, [&](int i, int j) {
        const double phi = 2.0 * M_PI * i / sides;
        const frame& f = rings[j];
        return f.centre + (f.binormal * std::cos(phi) + f.normal * std::sin(phi)) * f.radius;
    });
}

}  // namespace meshgen
