// OBJ loading: a counting pass sizes the raw arrays, a reading pass fills them and
// emits fan-triangulated faces with bit-for-bit vertex merging, then smooth
// area-weighted normals are computed when the file brings none. Malformed faces
// (index 0, out of range, fewer than three corners, mixed forms) are skipped whole.
#include "geometry/objmesh.h"

#include "geometry/text_scanner.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

enum class face_form { p, p_t, p_t_n, p_n };

// The numbers of one face corner as written in the file (0 = absent).
struct corner {
    int64_t p = 0, t = 0, n = 0;
};

bool contains_double_slash(std::string_view s) { return s.find("//") != std::string_view::npos; }

// Reads one corner in the given form. Returns how many numbers were read; the
// corner is complete when that equals the form's count.
int read_corner(text_scanner& in, face_form form, corner& c) {
    if (!in.read_int(c.p)) return 0;
    switch (form) {
        case face_form::p:
            return 1;
        case face_form::p_n:
            if (!in.literal('/') || !in.literal('/') || !in.read_int(c.n)) return 1;
            return 2;
        case face_form::p_t:
            if (!in.literal('/') || !in.read_int(c.t)) return 1;
            return 2;
        case face_form::p_t_n:
            if (!in.literal('/') || !in.read_int(c.t)) return 1;
            if (!in.literal('/') || !in.read_int(c.n)) return 2;
            return 3;
    }
    return 0;
}

int numbers_in(face_form form) {
    switch (form) {
        case face_form::p: return 1;
        case face_form::p_t:
        case face_form::p_n: return 2;
        case face_form::p_t_n: return 3;
    }
    return 1;
}

// The form of a face, decided from its first vertex token.
face_form form_of(std::string_view token) {
    if (contains_double_slash(token)) return face_form::p_n;
    corner c;
    text_scanner probe(token);
    const int read = read_corner(probe, face_form::p_t_n, c);
    if (read == 3) return face_form::p_t_n;
    if (read == 2) return face_form::p_t;
    return face_form::p;
}

// A complete corner that ends at white space (a corner running into other
// characters belongs to a different form).
bool read_whole_corner(text_scanner& in, face_form form, corner& c) {
    return read_corner(in, form, c) == numbers_in(form) && in.at_separator();
}

// Reads the corners of a face after its `f` keyword. False for a malformed face
// (its tokens are consumed all the same, identically in both passes).
bool read_face(text_scanner& in, face_form& form, std::vector<corner>& corners) {
    corners.clear();
    const std::string_view first = in.token();
    form = form_of(first);
    corner c;
    text_scanner whole(first);
    if (!read_whole_corner(whole, form, c) || !whole.at_end()) return false;
    corners.push_back(c);
    for (int k = 0; k < 2; ++k) {
        if (!read_whole_corner(in, form, c)) return false;
        corners.push_back(c);
    }
    for (;;) {
        c = corner{};
        const int read = read_corner(in, form, c);
        if (read == 0) return true;  // the next statement's keyword: the face ends
        if (read != numbers_in(form) || !in.at_separator()) return false;
        corners.push_back(c);
    }
}

// A file index as a 0-based element number against the elements read so far:
// i gives i - 1, -k gives read - k. -1 when it names no element of the array.
int64_t element_of(int64_t index, int64_t read_so_far, int64_t available) {
    int64_t element = -1;
    if (index > 0) element = index - 1;
    if (index < 0) element = read_so_far + index;
    return element < available ? element : -1;
}

// Room for element `counter` of `width` floats, grown when the reading pass meets
// more statements than the counting pass saw (text the passes tokenise differently).
float* slot(std::vector<float>& array, int32_t counter, std::size_t width) {
    const std::size_t end = (std::size_t(counter) + 1) * width;
    if (array.size() < end) array.resize(end, 0.0f);
    return array.data() + std::size_t(counter) * width;
}

// Statement kinds, from the first character (and the second for `v`).
enum class statement { face, position, normal, texcoord, vertex_other, object, other };

statement kind_of(std::string_view token) {
    if (token.empty()) return statement::other;
    switch (token[0]) {
        case 'f': return statement::face;
        case 'o': return statement::object;
        case 'v':
            if (token.size() == 1) return statement::position;
            if (token[1] == 'n') return statement::normal;
            if (token[1] == 't') return statement::texcoord;
            return statement::vertex_other;
        default: return statement::other;
    }
}

struct counts {
    int32_t positions = 0, texcoords = 0, normals = 0;
    int64_t triangles = 0;
};

counts count_statements(text_scanner& in) {
    counts c;
    std::vector<corner> corners;
    face_form form;
    while (!in.at_end()) {
        const std::string_view token = in.token();
        if (token.empty()) break;
        switch (kind_of(token)) {
            case statement::face:
                if (read_face(in, form, corners)) c.triangles += int64_t(corners.size()) - 2;
                break;
            case statement::position: ++c.positions; in.skip_line(); break;
            case statement::normal: ++c.normals; in.skip_line(); break;
            case statement::texcoord: ++c.texcoords; in.skip_line(); break;
            case statement::vertex_other: break;
            default: in.skip_line(); break;
        }
    }
    return c;
}

// The reading pass: raw attributes, faces, objects.
class reader {
public:
    explicit reader(objmesh& mesh) : m(mesh) {}

    // Returns the number of faces left out as malformed.
    int64_t run(text_scanner& in) {
        m.object_starts.clear();
        while (!in.at_end()) {
            const std::string_view token = in.token();
            if (token.empty()) break;
            statement_at(token, in);
        }
        m.object_starts.push_back(triangles);
        return faces_left_out;
    }

private:
    void statement_at(std::string_view token, text_scanner& in) {
        switch (kind_of(token)) {
            case statement::position: read_floats(in, slot(m.positions, positions++, 3), 3); break;
            case statement::normal: read_floats(in, slot(m.normals, normals++, 3), 3); break;
            case statement::texcoord: read_floats(in, slot(m.texcoords, texcoords++, 2), 2); break;
            case statement::vertex_other: break;
            case statement::object:
                m.object_starts.push_back(triangles);
                in.token();  // the object's name: exactly one token
                break;
            case statement::face:
                if (!read_face(in, form, corners) || !emit_face()) ++faces_left_out;
                break;
            default: in.skip_line(); break;
        }
    }

    // Reads up to `n` numbers; a failed read leaves the rest of the slot at 0.
    static void read_floats(text_scanner& in, float* out, int n) {
        for (int k = 0; k < n; ++k) {
            if (!in.read_float(out[k])) return;
        }
    }

    bool resolve(const corner& c, int64_t& p, int64_t& t, int64_t& n) const {
        p = element_of(c.p, positions, int64_t(m.positions.size() / 3));
        t = element_of(c.t, texcoords, int64_t(m.texcoords.size() / 2));
        n = element_of(c.n, normals, int64_t(m.normals.size() / 3));
        const bool uses_t = form == face_form::p_t || form == face_form::p_t_n;
        const bool uses_n = form == face_form::p_n || form == face_form::p_t_n;
        return p >= 0 && (!uses_t || t >= 0) && (!uses_n || n >= 0);
    }

    // False when an index names no element: the whole face is left out.
    bool emit_face() {
        vertex_numbers.clear();
        for (const corner& c : corners) {
            int64_t p, t, n;
            if (!resolve(c, p, t, n)) return false;
            vertex_numbers.push_back(vertex_for(p, t, n));
        }
        for (std::size_t k = 1; k + 1 < vertex_numbers.size(); ++k) {
            m.indices.push_back(vertex_numbers[0]);
            m.indices.push_back(vertex_numbers[k]);
            m.indices.push_back(vertex_numbers[k + 1]);
            ++triangles;
        }
        return true;
    }

    uint32_t vertex_for(int64_t p, int64_t t, int64_t n) {
        mesh_vertex v;
        const float* pos = &m.positions[std::size_t(p) * 3];
        v.x = pos[0], v.y = pos[1], v.z = pos[2];
        if (form == face_form::p_t || form == face_form::p_t_n) {
            v.u = m.texcoords[std::size_t(t) * 2];
            v.v = m.texcoords[std::size_t(t) * 2 + 1];
        }
        if (form == face_form::p_n || form == face_form::p_t_n) {
            const float* nrm = &m.normals[std::size_t(n) * 3];
            v.nx = nrm[0], v.ny = nrm[1], v.nz = nrm[2];
        }
        std::vector<uint32_t>& same_position = m.vertices_by_position[int32_t(p)];
        for (uint32_t number : same_position) {
            if (std::memcmp(&m.vertices[number], &v, sizeof v) == 0) return number;
        }
        const auto number = uint32_t(m.vertices.size());
        m.vertices.push_back(v);
        same_position.push_back(number);
        return number;
    }

    objmesh& m;
    int32_t positions = 0, texcoords = 0, normals = 0, triangles = 0;
    int64_t faces_left_out = 0;
    face_form form = face_form::p;
    std::vector<corner> corners;
    std::vector<uint32_t> vertex_numbers;
};

// Smooth normals: every triangle adds its unnormalised face normal to its three
// vertices, so larger triangles weigh more; then each sum is made unit length
// (a zero sum, from degenerate triangles only, stays zero).
void compute_normals(objmesh& m) {
    for (mesh_vertex& v : m.vertices) v.nx = v.ny = v.nz = 0.0f;
    for (std::size_t i = 0; i + 2 < m.indices.size(); i += 3) {
        mesh_vertex& a = m.vertices[m.indices[i]];
        mesh_vertex& b = m.vertices[m.indices[i + 1]];
        mesh_vertex& c = m.vertices[m.indices[i + 2]];
        const float e1x = b.x - a.x, e1y = b.y - a.y, e1z = b.z - a.z;
        const float e2x = c.x - a.x, e2y = c.y - a.y, e2z = c.z - a.z;
        const float nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
        for (mesh_vertex* v : {&a, &b, &c}) {
            v->nx += nx, v->ny += ny, v->nz += nz;
        }
    }
    for (mesh_vertex& v : m.vertices) {
        const float len = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
        if (len > 0.0f) v.nx /= len, v.ny /= len, v.nz /= len;
    }
    m.has_normals = true;
}

}  // namespace

void objmesh::reset() { *this = objmesh(); }

bool objmesh::load(const char* file_name, bool force_normals, load_outcome* outcome) {
    std::string text;
    const load_outcome read = read_text_file(file_name, text);
    if (outcome) *outcome = read;
    if (!read.ok()) return false;
    const load_outcome parsed = load_from_text(text, force_normals);
    if (outcome) *outcome = parsed;
    return true;
}

load_outcome objmesh::load_from_text(std::string_view text, bool force_normals) {
    reset();
    loaded = true;
    text_scanner in(text);
    const counts c = count_statements(in);
    position_count = c.positions;
    texcoord_count = c.texcoords;
    normal_count = c.normals;
    has_positions = c.positions > 0;
    has_texcoords = c.texcoords > 0;
    has_normals = c.normals > 0;
    positions.assign(std::size_t(c.positions) * 3, 0.0f);
    texcoords.assign(std::size_t(c.texcoords) * 2, 0.0f);
    normals.assign(std::size_t(c.normals) * 3, 0.0f);
    indices.reserve(std::size_t(c.triangles) * 3);

    in.rewind();
    const int64_t faces_left_out = reader(*this).run(in);
    position_count = int32_t(positions.size() / 3);
    texcoord_count = int32_t(texcoords.size() / 2);
    normal_count = int32_t(normals.size() / 3);
    triangle_count = int32_t(indices.size() / 3);
    if (force_normals || c.normals == 0) compute_normals(*this);
    if (triangle_count == 0) return {load_problem::no_faces, 0};
    if (faces_left_out > 0) return {load_problem::bad_faces, 0};
    return {};
}

int32_t objmesh::object_count() const { return object_starts.empty() ? 0 : int32_t(object_starts.size()) - 1; }

bool objmesh::object_range(int32_t k, int32_t& first_index, int32_t& index_count) const {
    if (k < 0 || k >= object_count()) return false;
    const int64_t total = int64_t(indices.size() / 3);
    auto clamp_triangle = [total](int64_t t) { return t < 0 ? 0 : (t > total ? total : t); };
    const int64_t begin = clamp_triangle(object_starts[std::size_t(k)]);
    const int64_t end = clamp_triangle(object_starts[std::size_t(k) + 1]);
    first_index = int32_t(begin * 3);
    index_count = int32_t(end > begin ? (end - begin) * 3 : 0);
    return true;
}
