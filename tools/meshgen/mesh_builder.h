// Triangle meshes as the generators build them: patches of triangles that get smooth
// normals (with an optional crease angle), grouped into named OBJ objects, and the
// writer that turns them into the v/vn/f text the show's loader reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace meshgen {

struct vec3 {
    double x = 0, y = 0, z = 0;
};

inline vec3 operator+(vec3 a, vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline vec3 operator-(vec3 a, vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline vec3 operator*(vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(vec3 a, vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline vec3 cross(vec3 a, vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(vec3 a);
vec3 normalised(vec3 a);

using triangle = std::array<uint32_t, 3>;

// A loose set of triangles handed to the mesh in one go. Points that coincide (after
// rounding to the written precision) are welded for smoothing.
struct patch {
    std::vector<vec3> points;
    std::vector<triangle> triangles;

    uint32_t add(vec3 p);
    void tri(uint32_t a, uint32_t b, uint32_t c) { triangles.push_back({a, b, c}); }
    void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        tri(a, b, c);
        tri(a, c, d);
    }
};

struct bounds {
    vec3 lo{1e30, 1e30, 1e30};
    vec3 hi{-1e30, -1e30, -1e30};
    void grow(vec3 p);
};

struct mesh_object {
    std::string name;
    std::vector<uint32_t> corners;  // three vertex numbers per triangle
};

class mesh {
public:
    // Starts a new OBJ object; its name must be one token.
    void begin_object(const std::string& name);
    // Adds a patch to the current object. Corners whose faces meet at less than
    // crease_degrees share a normal; degenerate triangles are dropped.
    void add_patch(const patch& p, double crease_degrees = 180.0);

    size_t triangle_count() const;
    size_t object_count() const { return objects_.size(); }
    bounds box() const;
    const std::vector<mesh_object>& objects() const { return objects_; }

    // OBJ text: every v, then every vn, then per object an o line and its faces
    // in the %d//%d form.
    std::string obj_text(const std::string& header) const;

private:
    uint32_t vertex(vec3 p, vec3 n);
    std::vector<vec3> positions_;
    std::vector<vec3> normals_;
    std::vector<mesh_object> objects_;
};

// Rounds a coordinate to the precision the writer uses, so that what is checked for
// degeneracy is what the file holds.
double round_coordinate(double v);

}  // namespace meshgen
