// Smooth-normal computation with crease angles, welding of coincident points,
// degenerate-triangle removal and the OBJ writer for the generated meshes.
#include "tools/meshgen/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <tuple>

namespace meshgen {

double length(vec3 a) { return std::sqrt(dot(a, a)); }

vec3 normalised(vec3 a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : vec3{0, 0, 0};
}

double round_coordinate(double v) {
    const double r = std::round(v * 1e5) / 1e5;
    return r == 0.0 ? 0.0 : r;  // no negative zero in the files
}

uint32_t patch::add(vec3 p) {
    points.push_back({round_coordinate(p.x), round_coordinate(p.y), round_coordinate(p.z)});
    return static_cast<uint32_t>(points.size() - 1);
}

void bounds::grow(vec3 p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}

void mesh::begin_object(const std::string& name) {
    if (name.empty() || name.find_first_of(" \t\r\n") != std::string::npos)
        throw std::invalid_argument("object name must be one token: " + name);
    objects_.push_back({name, {}});
}

namespace {

using point_key = std::tuple<double, double, double>;

// Welds the patch's points: returns, for each point, the number of its weld group.
std::vector<uint32_t> weld(const std::vector<vec3>& points) {
    std::map<point_key, uint32_t> groups;
    std::vector<uint32_t> group_of(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const vec3& p = points[i];
        auto [it, fresh] = groups.emplace(point_key{p.x, p.y, p.z}, static_cast<uint32_t>(groups.size()));
        group_of[i] = it->second;
    }
    return group_of;
}

// A triangle is kept only when its area is clearly above rounding noise.
bool degenerate(vec3 a, vec3 b, vec3 c) {
    const vec3 n = cross(b - a, c - a);
    const double longest = std::max({dot(b - a, b - a), dot(c - b, c - b), dot(a - c, a - c)});
    return length(n) <= 1e-6 * longest || length(n) < 1e-9;
}

}  // namespace

void mesh::add_patch(const patch& p, double crease_degrees) {
    if (objects_.empty()) throw std::logic_error("add_patch before begin_object");
    const std::vector<uint32_t> group_of = weld(p.points);

    std::vector<triangle> kept;
    std::vector<vec3> face_normal;  // area-weighted
    for (const triangle& t : p.triangles) {
        const vec3 a = p.points[t[0]], b = p.points[t[1]], c = p.points[t[2]];
        if (group_of[t[0]] == group_of[t[1]] || group_of[t[1]] == group_of[t[2]] ||
            group_of[t[0]] == group_of[t[2]] || degenerate(a, b, c))
            continue;
        kept.push_back(t);
        face_normal.push_back(cross(b - a, c - a));
    }

    // Faces around each weld group.
    std::vector<std::vector<uint32_t>> faces_at(p.points.size());
    for (size_t f = 0; f < kept.size(); ++f)
        for (uint32_t corner : kept[f]) faces_at[group_of[corner]].push_back(static_cast<uint32_t>(f));

    const double cos_crease = std::cos(crease_degrees * M_PI / 180.0);
    mesh_object& object = objects_.back();
    for (size_t f = 0; f < kept.size(); ++f) {
        const vec3 own = normalised(face_normal[f]);
        for (uint32_t corner : kept[f]) {
            vec3 sum{0, 0, 0};
            for (uint32_t g : faces_at[group_of[corner]]) {
                if (g == f || dot(normalised(face_normal[g]), own) >= cos_crease - 1e-12) sum = sum + face_normal[g];
            }
            vec3 n = normalised(sum);
            if (length(n) < 0.5) n = own;  // opposing faces cancel: fall back to the face
            object.corners.push_back(vertex(p.points[corner], n));
        }
    }
}

uint32_t mesh::vertex(vec3 p, vec3 n) {
    // Normals are written with four decimals; round them here so that equal
    // normals merge and the written ones stay unit length.
    auto r4 = [](double v) {
        const double r = std::round(v * 1e4) / 1e4;
        return r == 0.0 ? 0.0 : r;
    };
    n = {r4(n.x), r4(n.y), r4(n.z)};
    positions_.push_back(p);
    normals_.push_back(n);
    return static_cast<uint32_t>(positions_.size() - 1);
}

size_t mesh::triangle_count() const {
    size_t n = 0;
    for (const mesh_object& o : objects_) n += o.corners.size() / 3;
    return n;
}

bounds mesh::box() const {
    bounds b;
    for (const mesh_object& o : objects_)
        for (uint32_t c : o.corners) b.grow(positions_[c]);
    return b;
}

namespace {

// Shortest decimal text for a value that was rounded to the given number of decimals.
void append_number(std::string& out, double v, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    out += s;
}

}  // namespace

std::string mesh::obj_text(const std::string& header) const {
    // Positions and normals are written once per distinct (position, normal) pair;
    // faces refer to both by the same number.
    std::map<std::tuple<double, double, double, double, double, double>, uint32_t> written;
    std::vector<uint32_t> number(positions_.size());
    std::string v_lines, vn_lines;
    for (size_t i = 0; i < positions_.size(); ++i) {
        const vec3 p = positions_[i], n = normals_[i];
        auto [it, fresh] = written.emplace(std::make_tuple(p.x, p.y, p.z, n.x, n.y, n.z),
                                           static_cast<uint32_t>(written.size() + 1));
        number[i] = it->second;
        if (!fresh) continue;
        v_lines += "v ";
        append_number(v_lines, p.x, 5);
        v_lines += ' ';
        append_number(v_lines, p.y, 5);
        v_lines += ' ';
        append_number(v_lines, p.z, 5);
        v_lines += '\n';
        vn_lines += "vn ";
        append_number(vn_lines, n.x, 4);
        vn_lines += ' ';
        append_number(vn_lines, n.y, 4);
        vn_lines += ' ';
        append_number(vn_lines, n.z, 4);
        vn_lines += '\n';
    }
    std::string out = header + v_lines + vn_lines;
    for (const mesh_object& o : objects_) {
        out += "o " + o.name + "\n";
        for (size_t c = 0; c < o.corners.size(); c += 3) {
            out += 'f';
            for (int k = 0; k < 3; ++k) {
                const std::string n = std::to_string(number[o.corners[c + k]]);
                out += ' ' + n + "//" + n;
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace meshgen
