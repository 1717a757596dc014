// The transformation structure ("transf3"): a broad perforated disc, like a rose
// window, with a spiral twist. Five rings of cells, each cell a frame around a window
// whose shape changes from ring to ring (circles, rounded squares, diamonds), some
// cells left solid to make the pattern; a central opening and rolled rims inside and
// out. The disc lies in the xy plane and dishes gently along z.
//
// Sizes and why: it is drawn at scale 1.2 above the column (z turned vertical), where
// its outer radius of 20 makes a 24-unit canopy that fills the view from the axis
// camera, whose far plane is at 30; the central opening of radius 6 (7.2 there) lets
// the camera, passing 0.84 off its centre, fly through. Tilted at scale 0.26 late in
// the show it is a 10-unit lattice, and squashed flat at scale 0.2 it is the black
// pattern over the opening camera. Bounding box: x and y [-20.6, 20.6] (rim
// included), z [-0.48, 3.07].
#include "tools/meshgen/generators.h"
#include "tools/meshgen/shapes.h"

#include <cmath>
#include <iterator>

namespace meshgen {

namespace {

constexpr double inner_radius = 6.0;
constexpr double outer_radius = 20.0;
constexpr double half_thickness = 0.3;
constexpr int circle_samples = 144;  // every ring's cell count divides this
constexpr double twist = 0.035;      // radians of turn per unit of radius

// Height of the disc's mid-surface: a shallow dish rising toward the rim.
double dish(double rho) {
    const double f = (rho - inner_radius) / (outer_radius - inner_radius);
    return 2.5 * f * f;
}

struct ring {
    double from, to;        // radii
    int cells;              // cells around
    int radial;             // samples along a cell's radial edges
    double window;          // window size as a fraction of the cell
    double roundness;       // superellipse exponent of the window (1 diamond, 2 circle, 4+ square)
    int solid_every;        // every n-th cell has no window (0: none)
};

const ring rings[] = {
    {6.0, 8.2, 24, 3, 0.7, 2.0, 0},
    {8.2, 11.0, 36, 3, 0.78, 4.0, 4},
    {11.0, 13.6, 48, 3, 0.76, 1.0, 0},
    {13.6, 17.0, 48, 4, 0.8, 5.0, 3},
    {17.0, 20.0, 72, 3, 0.7, 2.0, 0},
};

// A point of the disc from a radial fraction s in [0, 1] across a ring and an angle
// counted in circle samples; shared edges come out bit-identical from both sides.
vec3 surface_point(const ring& r, double s, double angle_index, double offset) {
    const double rho = r.from * (1.0 - s) + r.to * s;
    const double wrapped = std::fmod(angle_index, static_cast<double>(circle_samples));
    const double a = 2.0 * M_PI * wrapped / circle_samples + twist * rho;
    return {rho * std::cos(a), rho * std::sin(a), dish(rho) + offset};
}

// The boundary of cell (u, v) in [-1, 1]^2 walked once around, as square coordinates.
std::vector<std::pair<double, double>> cell_boundary(int arc_steps, int radial_steps) {
    std::vector<std::pair<double, double>> b;
    for (int k = 0; k < arc_steps; ++k) b.push_back({-1.0, -1.0 + 2.0 * k / arc_steps});   // inner arc
    for (int k = 0; k < radial_steps; ++k) b.push_back({-1.0 + 2.0 * k / radial_steps, 1.0});  // edge
    for (int k = 0; k < arc_steps; ++k) b.push_back({1.0, 1.0 - 2.0 * k / arc_steps});     // outer arc
    for (int k = 0; k < radial_steps; ++k) b.push_back({1.0 - 2.0 * k / radial_steps, -1.0});  // edge
    return b;
}

// Projects a square-boundary point onto the window's superellipse.
std::pair<double, double> window_point(std::pair<double, double> q, double size, double n) {
    const double norm = std::pow(std::pow(std::fabs(q.first), n) + std::pow(std::fabs(q.second), n), 1.0 / n);
    return {size * q.first / norm, size * q.second / norm};
}

struct cell_faces {
    patch top, bottom, walls;
};

void add_cell(cell_faces& f, const ring& r, int cell) {
    const int arc_steps = circle_samples / r.cells;
    // u runs across the ring (radius), v along it (angle); the outline runs
    // clockwise seen from +z.
    auto place = [&](std::pair<double, double> uv, double offset) {
        const double s = (uv.first + 1.0) / 2.0;
        const double angle = cell * arc_steps + (uv.second + 1.0) / 2.0 * arc_steps;
        return surface_point(r, s, angle, offset);
    };
    const bool solid = r.solid_every > 0 && cell % r.solid_every == 0;
    const auto outline = cell_boundary(arc_steps, r.radial);
    const size_t n = outline.size();
    for (double side : {1.0, -1.0}) {
        patch& p = side > 0 ? f.top : f.bottom;
        std::vector<uint32_t> outer, inner;
        for (const auto& q : outline) {
            outer.push_back(p.add(place(q, side * half_thickness)));
            inner.push_back(p.add(place(window_point(q, r.window, r.roundness), side * half_thickness)));
        }
        const uint32_t centre = solid ? p.add(place({0, 0}, side * half_thickness)) : 0;
        for (size_t k = 0; k < n; ++k) {
            const size_t l = (k + 1) % n;
            if (side > 0) p.quad(outer[k], inner[k], inner[l], outer[l]);
            else p.quad(outer[k], outer[l], inner[l], inner[k]);
            if (solid) {
                if (side > 0) p.tri(centre, inner[l], inner[k]);
                else p.tri(centre, inner[k], inner[l]);
            }
        }
    }
    if (solid) return;
    // The window's side walls, facing into the opening.
    for (size_t k = 0; k < n; ++k) {
        const size_t l = (k + 1) % n;
        const auto wk = window_point(outline[k], r.window, r.roundness);
        const auto wl = window_point(outline[l], r.window, r.roundness);
        const uint32_t a = f.walls.add(place(wk, half_thickness)), b = f.walls.add(place(wl, half_thickness));
        const uint32_t c = f.walls.add(place(wl, -half_thickness)), d = f.walls.add(place(wk, -half_thickness));
        f.walls.quad(a, d, c, b);
    }
}

// The plate's inner or outer edge (s = 0 or 1 of a ring), facing away from the plate.
void add_edge(patch& p, const ring& r, double s) {
    const double facing = s > 0.5 ? 1.0 : -1.0;
    for (int i = 0; i < circle_samples; ++i) {
        const uint32_t a = p.add(surface_point(r, s, i, half_thickness));
        const uint32_t b = p.add(surface_point(r, s, i + 1, half_thickness));
        const uint32_t c = p.add(surface_point(r, s, i + 1, -half_thickness));
        const uint32_t d = p.add(surface_point(r, s, i, -half_thickness));
        if (facing > 0) p.quad(a, d, c, b);
        else p.quad(a, b, c, d);
    }
}

// A rolled rim: a tube around the circle at radius rho, covering the plate's edge.
patch rim(double rho, double radius, int sides) {
    return grid(circle_samples, sides, true, [&](int i, int j) {
        const double theta = 2.0 * M_PI * i / circle_samples;
        const double phi = 2.0 * M_PI * (j % sides) / sides;
        const double rr = rho + radius * std::cos(phi);
        const double a = theta + twist * rho;
        return vec3{rr * std::cos(a), rr * std::sin(a), dish(rho) - radius * std::sin(phi)};
    });
}

}  // namespace

mesh structure_mesh() {
    mesh m;
    m.begin_object("lattice");
    cell_faces faces;
    for (const ring& r : rings)
        for (int cell = 0; cell < r.cells; ++cell) add_cell(faces, r, cell);
    m.add_patch(faces.top, 30.0);
    m.add_patch(faces.bottom, 30.0);
    m.add_patch(faces.walls, 40.0);
    patch edges;
    add_edge(edges, rings[0], 0.0);
    add_edge(edges, rings[std::size(rings) - 1], 1.0);
    m.add_patch(edges, 40.0);
    m.begin_object("rims");
    m.add_patch(rim(inner_radius, 0.5, 10));
    m.add_patch(rim(outer_radius, 0.6, 10));
    m.add_patch(rim(rings[2].from, 0.36, 8));
    return m;
}

}  // namespace meshgen
