// Parametric surface builders used by the figure, wing and structure generators:
// grids over two parameters, surfaces of revolution, tubes along curves, ellipsoids
// and tori, all wound so that their normals face outward.
#pragma once

#include "tools/meshgen/mesh_builder.h"

#include <functional>
#include <vector>

namespace meshgen {

// Grid of (nu + 1) x (nv + 1) samples (nu x (nv + 1) when wrap_u, the seam shared).
// Triangles are wound so that the normal is dP/dv x dP/du.
patch grid(int nu, int nv, bool wrap_u, const std::function<vec3(int, int)>& point);

struct profile_point {
    double r, y;
};

// Smooth curve through the control points (Catmull-Rom), resampled at n + 1 points.
std::vector<profile_point> smooth_profile(const std::vector<profile_point>& controls, int n);

// Revolves a profile (bottom to top) about the vertical axis through centre. The
// radius may be shaped per angle through shape(theta, k, r) (k = profile sample).
patch lathe(const std::vector<profile_point>& profile, int segments, vec3 centre,
            const std::function<double(double, int, double)>& shape = nullptr, double scale_x = 1.0,
            double scale_z = 1.0);

// Ellipsoid with the given radii, optionally turned by yaw (degrees about y).
patch ellipsoid(vec3 centre, vec3 radii, int segments, int rings);

// Torus around the vertical axis through centre, tilted by tilt degrees about z.
patch torus(vec3 centre, double major, double minor, int segments, int sides, double tilt_degrees);

// Tube along a curve with rounded ends; radius(t) for t in [0, 1].
patch tube(const std::function<vec3(double)>& curve, const std::function<double(double)>& radius, int samples,
           int sides, int cap_rings);

// Cubic Bezier point.
vec3 bezier(vec3 a, vec3 b, vec3 c, vec3 d, double t);

}  // namespace meshgen
