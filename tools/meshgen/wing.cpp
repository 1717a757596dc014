// The wing: a thin elliptical wing with a gently swept-back crescent, mirror-symmetric
// across x = 0 and symmetric in thickness about z = 0, with a rounded leading edge and
// a sharp trailing edge, raised ribs and pressed panel lines. Its span runs along x,
// its chord along y, its thickness along z.
//
// Sizes and why: the wing column draws it scaled 1.2 with z turned vertical, so the
// span (x in [-3.3, 3.3]) becomes a wing about 8 units wide seen flat from the camera
// on the column axis. The base stack scales it by 0.2 and squashes its thickness
// further (0.02 in all), a 1.3-unit plate under the opening camera. The rods stretch
// z a hundredfold: the root thickness of 0.24 becomes a 24-unit needle whose width is
// the chord (1.6 at the root), tapering to points at both ends because the thickness
// profile does; the bar stretches z four times, a 1-unit airfoil slab. Bounding box:
// x [-3.3, 3.3], y [-0.87, 0.8] (the tips sweep back), z [-0.13, 0.13] (ribs included).
#include "tools/meshgen/generators.h"
#include "tools/meshgen/shapes.h"

#include <cmath>

namespace meshgen {

namespace {

constexpr double half_span = 3.3;
constexpr double root_chord = 1.6;
constexpr double thickness_ratio = 0.15;  // thickness / chord
constexpr double sweep = 0.6;             // how far the tips sit behind the root
constexpr int ribs = 7;                   // raised ribs across the span
constexpr double spar_line = 0.3;         // chord fraction of the groove along the span
constexpr double groove_depth = 0.06;     // panel-line depth, as a share of the thickness

// Half thickness of a symmetric four-digit airfoil section at chord fraction c,
// in units of chord, with a closed trailing edge.
double airfoil_half_thickness(double c) {
    return 5.0 * thickness_ratio *
           (0.2969 * std::sqrt(c) - 0.1260 * c - 0.3516 * c * c + 0.2843 * c * c * c - 0.1036 * c * c * c * c);
}

// Chord at span fraction s in [-1, 1]: an ellipse, so the tips close smoothly.
double chord_at(double s) { return root_chord * std::sqrt(std::max(0.0, 1.0 - s * s)); }

// Panel lines pressed into the skin, 0 to 1: a narrow groove halfway between
// neighbouring ribs and one along the span at the spar line, so the wing reads as
// built panels close up and its long needle keeps lines when stretched.
double panel_lines(double s, double c) {
    const double between_ribs = std::pow(std::sin(M_PI * ribs * s / 2), 24.0);
    const double along_span = std::exp(-std::pow((c - spar_line) / 0.05, 2.0));
    return std::max(between_ribs, along_span);
}

}  // namespace

mesh wing_mesh() {
    const int span_samples = 120;   // even: a sample row lies on the root
    const int around = 56;          // samples around the section, upper then lower
    patch p = grid(around, span_samples, true, [&](int i, int j) {
        // Span samples crowd toward the tips, where the outline turns fastest.
        const double s = std::sin(M_PI / 2 * (2.0 * j / span_samples - 1.0));
        const double chord = chord_at(s);
        // Section samples crowd toward the leading edge (cosine spacing).
        const double a = 2.0 * M_PI * i / around;       // 0: trailing edge, pi: leading edge
        const double c = 0.5 * (1.0 + std::cos(a));     // chord fraction from the leading edge
        const double side = i <= around / 2 ? 1.0 : -1.0;
        const double leading_y = chord / 2 - sweep * s * s;
        const double y = leading_y - c * chord;
        // Ribs: the section swells slightly at evenly spaced stations.
        const double rib = std::pow(std::cos(M_PI * ribs * s / 2), 8.0);
        const double swell = 1.0 + 0.12 * rib - groove_depth * panel_lines(s, c);
        const double z = side * airfoil_half_thickness(c) * chord * swell;
        return vec3{half_span * s, y, z};
    });
    mesh m;
    m.begin_object("wing");
    m.add_patch(p, 60.0);
    return m;
}

}  // namespace meshgen
