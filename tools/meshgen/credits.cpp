// The credits: three lines of text extruded along z. Glyph outlines come from
// FreeType (curves flattened here), the front and back caps from GLU's tessellator
// with the non-zero winding rule, and the side walls from the outline edges.
//
// Layout and why: the credits are drawn with the model-view scaled by 0.7 (and z by
// 0.1) before a camera at z = 25 with a 75-degree field of view, so at z = 0 the
// screen spans 54.8 mesh units top to bottom and 97.4 across at 16:9 (73 at 4:3).
// The roll moves each later line 2.6 units down; that spacing alone would crowd the
// lines, so each line carries its own height in the mesh. On screen the title's
// capitals are 6.6 units tall and centred 7 above the middle, the names line (caps
// 2.6) 2.5 below it and the years (caps 3.2) 8.5 below it; every line is centred
// horizontally and is at most 60 units wide (62% of the 16:9 width, 82% at 4:3).
// Bounding box of the mesh: x [-30, 30], y [-5, 10.4], z [-1.5, 1.5]. Objects are
// written in the order years, title, names: object 1 is shown first, object 2
// second, object 0 third.
#include "tools/meshgen/generators.h"

#include <GL/glu.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <deque>
#include <stdexcept>

namespace meshgen {

namespace {

constexpr double depth = 3.0;            // extrusion along z, before the roll's 0.1 squash
constexpr double flatness = 0.04;        // largest curve-to-chord distance, mesh units

struct point2 {
    double x, y;
};
using contour = std::vector<point2>;

// Outline decomposition state: contours in font units, scaled and placed later.
struct outline_sink {
    std::vector<contour> contours;
    point2 pen{0, 0};
    double units_to_mesh = 1.0;
};

point2 to_point(const FT_Vector* v) { return {static_cast<double>(v->x), static_cast<double>(v->y)}; }

int segments_for(double control_length_units, double units_to_mesh) {
    // A curve's deviation from its chord falls with the square of the subdivision.
    const double length = control_length_units * units_to_mesh;
    const int n = static_cast<int>(std::ceil(std::sqrt(length / (8.0 * flatness))));
    return std::clamp(n, 2, 16);
}

int move_to(const FT_Vector* to, void* user) {
    auto* s = static_cast<outline_sink*>(user);
    s->contours.push_back({to_point(to)});
    s->pen = to_point(to);
    return 0;
}

int line_to(const FT_Vector* to, void* user) {
    auto* s = static_cast<outline_sink*>(user);
    s->pen = to_point(to);
    s->contours.back().push_back(s->pen);
    return 0;
}

double distance(point2 a, point2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* s = static_cast<outline_sink*>(user);
    const point2 a = s->pen, c = to_point(control), b = to_point(to);
    const int n = segments_for(distance(a, c) + distance(c, b), s->units_to_mesh);
    for (int k = 1; k <= n; ++k) {
        const double t = static_cast<double>(k) / n, u = 1 - t;
        s->contours.back().push_back({u * u * a.x + 2 * u * t * c.x + t * t * b.x,
                                      u * u * a.y + 2 * u * t * c.y + t * t * b.y});
    }
    s->pen = b;
    return 0;
}

int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<outline_sink*>(user);
    const point2 a = s->pen, p = to_point(c1), q = to_point(c2), b = to_point(to);
    const int n = segments_for(distance(a, p) + distance(p, q) + distance(q, b), s->units_to_mesh);
    for (int k = 1; k <= n; ++k) {
        const double t = static_cast<double>(k) / n, u = 1 - t;
        s->contours.back().push_back({u * u * u * a.x + 3 * u * u * t * p.x + 3 * u * t * t * q.x + t * t * t * b.x,
                                      u * u * u * a.y + 3 * u * u * t * p.y + 3 * u * t * t * q.y + t * t * t * b.y});
    }
    s->pen = b;
    return 0;
}

// Drops repeated points, the closing point that repeats the first, and points in
// the middle of straight runs (the tessellator would make slivers of them).
contour cleaned(const contour& c) {
    contour out;
    for (const point2& p : c)
        if (out.empty() || distance(out.back(), p) > 1e-9) out.push_back(p);
    while (out.size() > 1 && distance(out.front(), out.back()) <= 1e-9) out.pop_back();
    bool removed = true;
    while (removed && out.size() > 3) {
        removed = false;
        for (size_t k = 0; k < out.size() && out.size() > 3; ++k) {
            const point2 a = out[(k + out.size() - 1) % out.size()], b = out[k], c2 = out[(k + 1) % out.size()];
            const double turn = (b.x - a.x) * (c2.y - b.y) - (b.y - a.y) * (c2.x - b.x);
            const double forward = (b.x - a.x) * (c2.x - b.x) + (b.y - a.y) * (c2.y - b.y);
            if (std::fabs(turn) <= 1e-9 * distance(a, b) * distance(b, c2) && forward > 0) {
                out.erase(out.begin() + static_cast<long>(k));
                removed = true;
            }
        }
    }
    return out;
}

// GLU tessellation of one glyph's contours into triangles (indices into points).
struct tess_state {
    std::deque<std::array<double, 3>> points;
    std::deque<uint32_t> ids;
    std::vector<uint32_t> corners;
    bool failed = false;
};

void tess_vertex(void* vertex, void* user) {
    static_cast<tess_state*>(user)->corners.push_back(*static_cast<uint32_t*>(vertex));
}
void tess_edge_flag(GLboolean) {}  // present so that only triangles are emitted
void tess_error(GLenum, void* user) { static_cast<tess_state*>(user)->failed = true; }
void tess_combine(GLdouble coords[3], void*[4], GLfloat[4], void** out, void* user) {
    auto* s = static_cast<tess_state*>(user);
    s->points.push_back({coords[0], coords[1], coords[2]});
    s->ids.push_back(static_cast<uint32_t>(s->points.size() - 1));
    *out = &s->ids.back();
}

tess_state tessellate(const std::vector<contour>& contours) {
    tess_state s;
    GLUtesselator* tess = gluNewTess();
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(tess_vertex));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG, reinterpret_cast<_GLUfuncptr>(tess_edge_flag));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(tess_error));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(tess_combine));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    for (const contour& c : contours)
        for (const point2& p : c) {
            s.points.push_back({p.x, p.y, 0});
            s.ids.push_back(static_cast<uint32_t>(s.points.size() - 1));
        }
    gluTessBeginPolygon(tess, &s);
    size_t next = 0;
    for (const contour& c : contours) {
        gluTessBeginContour(tess);
        for (size_t k = 0; k < c.size(); ++k, ++next) gluTessVertex(tess, s.points[next].data(), &s.ids[next]);
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    return s;
}

struct credit_line {
    const char* name;
    const char* text;
    double cap_height;   // mesh units
    double centre_y;     // where the middle of the capitals sits in the mesh
};

class font {
public:
    explicit font(const std::string& path) {
        if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType does not start");
        if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
            FT_Done_FreeType(library_);
            throw std::runtime_error("cannot open font " + path);
        }
    }
    ~font() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    font(const font&) = delete;
    font& operator=(const font&) = delete;

    // Height of the capital H, in font units.
    double cap_height() {
        load(FT_Get_Char_Index(face_, 'H'));
        FT_BBox box;
        FT_Outline_Get_CBox(&face_->glyph->outline, &box);
        return static_cast<double>(box.yMax);
    }

    void load(FT_UInt index) {
        if (FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            throw std::runtime_error("glyph does not load");
    }

    FT_Face face() { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

struct glyph_shape {
    std::vector<contour> contours;  // mesh units, placed
    bool fill_right;                // TrueType direction: the filled side is on the right
};

// Every glyph of a line, placed with advances and kerning, in mesh units, centred.
std::vector<glyph_shape> lay_out(font& f, const credit_line& line, double cap_units) {
    const double scale = line.cap_height / cap_units;
    FT_Face face = f.face();
    std::vector<glyph_shape> glyphs;
    double pen = 0;
    FT_UInt previous = 0;
    for (const char* c = line.text; *c; ++c) {
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(*c));
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, index, FT_KERNING_UNSCALED, &kern);
            pen += static_cast<double>(kern.x);
        }
        f.load(index);
        outline_sink sink;
        sink.units_to_mesh = scale;
        const FT_Outline_Funcs funcs{move_to, line_to, conic_to, cubic_to, 0, 0};
        FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
        glyph_shape g{{}, FT_Outline_Get_Orientation(&face->glyph->outline) == FT_ORIENTATION_TRUETYPE};
        for (const contour& raw : sink.contours) {
            contour placed;
            for (const point2& p : cleaned(raw)) placed.push_back({(p.x + pen) * scale, p.y * scale});
            if (placed.size() >= 3) g.contours.push_back(placed);
        }
        if (!g.contours.empty()) glyphs.push_back(g);
        pen += static_cast<double>(face->glyph->advance.x);
        previous = index;
    }
    // Centre the ink horizontally; put the middle of the capitals at centre_y.
    double lo = 1e30, hi = -1e30;
    for (const glyph_shape& g : glyphs)
        for (const contour& c : g.contours)
            for (const point2& p : c) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    const double dx = -(lo + hi) / 2, dy = line.centre_y - line.cap_height / 2;
    for (glyph_shape& g : glyphs)
        for (contour& c : g.contours)
            for (point2& p : c) p = {p.x + dx, p.y + dy};
    return glyphs;
}

// Front and back caps from the tessellator (counter-clockwise about +z).
void add_caps(mesh& m, const glyph_shape& g) {
    const tess_state s = tessellate(g.contours);
    if (s.failed || s.corners.size() % 3 != 0) throw std::runtime_error("glyph tessellation failed");
    patch front, back;
    for (const auto& p : s.points) {
        front.add({p[0], p[1], depth / 2});
        back.add({p[0], p[1], -depth / 2});
    }
    for (size_t k = 0; k < s.corners.size(); k += 3) {
        front.tri(s.corners[k], s.corners[k + 1], s.corners[k + 2]);
        back.tri(s.corners[k], s.corners[k + 2], s.corners[k + 1]);
    }
    m.add_patch(front, 0.0);
    m.add_patch(back, 0.0);
}

// Side walls along every outline edge, facing away from the filled side; curves
// stay smooth and corners sharp through the crease angle.
void add_walls(mesh& m, const glyph_shape& g) {
    patch walls;
    for (const contour& c : g.contours) {
        std::vector<uint32_t> top, bottom;
        for (const point2& p : c) {
            top.push_back(walls.add({p.x, p.y, depth / 2}));
            bottom.push_back(walls.add({p.x, p.y, -depth / 2}));
        }
        for (size_t k = 0; k < c.size(); ++k) {
            const size_t l = (k + 1) % c.size();
            // quad(top k, bottom k, bottom l, top l) faces right of the direction.
            if (g.fill_right) walls.quad(top[k], top[l], bottom[l], bottom[k]);
            else walls.quad(top[k], bottom[k], bottom[l], top[l]);
        }
    }
    m.add_patch(walls, 35.0);
}

}  // namespace

mesh credits_mesh(const std::string& font_path) {
    // Heights on screen (title +7, names -2.5, years -8.5) less the roll's own steps.
    const credit_line years{"line3_years", "2010 - 2026", 3.2, -8.5 + 2 * 2.6};
    const credit_line title{"line1_title", "VELMORIA", 6.6, 7.0};
    const credit_line names{"line2_names", "code, music and meshes: KRV", 2.6, -2.5 + 2.6};
    font f(font_path);
    const double cap_units = f.cap_height();
    mesh m;
    for (const credit_line* line : {&years, &title, &names}) {
        m.begin_object(line->name);
        for (const glyph_shape& g : lay_out(f, *line, cap_units)) {
            add_caps(m, g);
            add_walls(m, g);
        }
    }
    return m;
}

}  // namespace meshgen
