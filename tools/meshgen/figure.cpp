// The figure ("quorrel"): a robed, stylised standing figure on a round plinth with its
// arms raised into an arch over a haloed head. The copies of the figure column stand
// 18 units apart along y and turn about the y axis, where the camera travels, so the
// figure stands off the axis and faces it, modelled all round. It stands at x = -3:
// the copies are turned by 0 to 126 degrees about y, which carries them onto the
// +z side, in front of the camera while it looks along +z, and around the view
// while it looks down the column. About 14.7 tall, leaving a gap of more than 3 to
// the next copy. Bounding box: x [-5.2, -0.8], y [0, 14.69], z [-2.2, 2.2].
#include "tools/meshgen/generators.h"
#include "tools/meshgen/shapes.h"

#include <cmath>

namespace meshgen {

namespace {

constexpr double figure_x = -3.0;  // the figure's own axis, off the column axis
constexpr double forward = 1.0;    // the figure faces +x, toward the column axis

// Detail levels: the full figure and the simplified one share every proportion.
struct figure_detail {
    int around;   // segments around the robe, plinth and halo
    int rows;     // samples up the robe
    int head;     // segments around the head
    int limb;     // sides of the arm tubes
    int along;    // samples along an arm
};

void add_plinth(mesh& m, const figure_detail& d) {
    // A low drum with a bevelled top and a groove; hard edges at the bevels.
    const std::vector<profile_point> profile{{0, 0},      {2.2, 0},    {2.2, 0.35}, {2.08, 0.42},
                                             {2.08, 0.5}, {2.2, 0.57}, {2.2, 0.7},  {2.05, 0.82},
                                             {0, 0.82}};
    m.begin_object("plinth");
    m.add_patch(lathe(profile, d.around, {figure_x, 0, 0}), 35.0);
}

void add_robe(mesh& m, const figure_detail& d) {
    // Bell-shaped gown from the hem to the neck; folds deepen toward the hem. The
    // cross-section is an ellipse, deeper across the shoulders than front to back.
    const std::vector<profile_point> controls{
        {0, 0.82},   {1.75, 0.82}, {1.8, 1.0},   {1.35, 2.5},  {0.95, 4.5}, {0.7, 6.5},
        {0.66, 7.4}, {0.8, 8.6},   {0.92, 9.5},  {0.95, 10.0}, {0.7, 10.45}, {0.3, 10.7},
        {0.22, 11.1}, {0, 11.25}};
    const std::vector<profile_point> profile = smooth_profile(controls, d.rows);
    auto folds = [&](double theta, int k, double r) {
        const double y = profile[k].y;
        const double depth = y < 7.5 ? 0.07 * std::pow((7.5 - y) / 6.7, 1.5) : 0.0;
        return r * (1.0 + depth * std::cos(9.0 * theta) + 0.3 * depth * std::cos(23.0 * theta + 1.3));
    };
    m.begin_object("robe");
    m.add_patch(lathe(profile, d.around, {figure_x, 0, 0}, folds, 0.72, 1.0), 60.0);
}

void add_head(mesh& m, const figure_detail& d) {
    m.begin_object("head");
    m.add_patch(ellipsoid({figure_x, 11.85, 0}, {0.5, 0.72, 0.46}, d.head, d.head / 2));
    // A crest from brow to nape, the figure's one sharp feature.
    auto crest = [](double t) {
        const double a = M_PI * (0.15 + 0.7 * t);
        return vec3{figure_x + forward * 0.56 * std::cos(a), 11.85 + 0.78 * std::sin(a), 0};
    };
    m.add_patch(tube(crest, [](double t) { return 0.03 + 0.07 * std::sin(M_PI * t); }, d.along, d.limb, 3));
}

void add_halo(mesh& m, const figure_detail& d) {
    m.begin_object("halo");
    m.add_patch(torus({figure_x - forward * 0.1, 12.75, 0}, 1.25, 0.07, d.around, d.limb / 2, forward * 12.0));
}

void add_arms(mesh& m, const figure_detail& d) {
    m.begin_object("arms");
    for (double side : {-1.0, 1.0}) {
        const vec3 shoulder{figure_x, 10.05, side * 0.78};
        const vec3 elbow_pull{figure_x + forward * 0.05, 11.9, side * 2.5};
        const vec3 wrist_pull{figure_x + forward * 0.3, 14.7, side * 1.4};
        const vec3 hand{figure_x + forward * 0.35, 14.45, side * 0.16};
        auto arm = [=](double t) { return bezier(shoulder, elbow_pull, wrist_pull, hand, t); };
        m.add_patch(tube(arm, [](double t) { return 0.26 - 0.1 * t; }, d.along, d.limb, 4));
        // The hands: flattened ovals where the arch closes.
        m.add_patch(ellipsoid(hand + vec3{0, 0.02, -side * 0.02}, {0.13, 0.22, 0.15}, d.limb, d.limb / 2));
    }
}

mesh build_figure(const figure_detail& d) {
    mesh m;
    add_plinth(m, d);
    add_robe(m, d);
    add_head(m, d);
    add_halo(m, d);
    add_arms(m, d);
    return m;
}

}  // namespace

mesh figure_mesh() { return build_figure({112, 56, 48, 20, 40}); }

mesh simple_figure_mesh() { return build_figure({32, 18, 16, 8, 10}); }

}  // namespace meshgen
