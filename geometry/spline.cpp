// Catmull-Rom evaluation over the keys of a spline (looping and open rules), and
// point-file loading. Every key read is clamped to its channel, so splines with
// too few keys, or channels shorter than `count`, never read outside an array.
#include "geometry/spline.h"

#include "geometry/text_scanner.h"

#include <cmath>
#include <string>

namespace {

// Four neighbour keys and the fraction between the middle two.
struct segment {
    int64_t key[4];
    float s;
};

constexpr int64_t trunc_limit = int64_t(1) << 62;

// trunc(x) as an integer, saturating, with NaN as 0.
int64_t whole_part(float x) {
    if (std::isnan(x)) return 0;
    const float w = std::trunc(x);
    if (w >= float(trunc_limit)) return trunc_limit;
    if (w <= -float(trunc_limit)) return -trunc_limit;
    return int64_t(w);
}

int64_t wrap(int64_t k, int64_t n) {
    const int64_t r = k % n;
    return r < 0 ? r + n : r;
}

int64_t clamp_key(int64_t k, int64_t n) { return k < 0 ? 0 : (k > n - 1 ? n - 1 : k); }

bool interior(float t, int64_t n) { return 2.0f < t && t < float(n - 2); }

segment interior_segment(float t) {
    const int64_t b = whole_part(t);
    return {{b - 1, b, b + 1, b + 2}, t - float(b)};
}

// The looping rules. t' is rounded to single precision on purpose: with about a
// million in 10000 * n the fraction comes out coarse, and that is what the show
// draws.
segment looping_segment(float t, int64_t n) {
    if (interior(t, n)) return interior_segment(t);
    const float shifted = t + float(10000 * n);
    const int64_t whole = whole_part(shifted);
    const int64_t b = wrap(whole, n);
    const float s = shifted - std::trunc(shifted);
    if (0 < b && b < n - 2) return {{b - 1, b, b + 1, b + 2}, s};
    if (b != 0) return {{b - 1, b, wrap(b + 1, n), wrap(b + 2, n)}, s};
    return {{wrap(whole - 1, n), 0, wrap(1, n), wrap(2, n)}, s};
}

segment open_segment(float t, int64_t n) {
    if (interior(t, n)) return interior_segment(t);
    const int64_t e = whole_part(t);
    float s = t - std::trunc(t);
    if (t > float(n)) s = 1.0f;
    if (t < 0.0f) s = 0.0f;
    const int64_t b = clamp_key(e, n);
    return {{clamp_key(b - 1, n), b, clamp_key(b + 1, n), clamp_key(b + 2, n)}, s};
}

// Key k of a channel, clamped to the keys the channel really has (not empty).
const vector3& key_of(const std::vector<vector3>& channel, int64_t k) {
    return channel[std::size_t(clamp_key(k, int64_t(channel.size())))];
}

float hermite(float p0, float p1, float p2, float p3, float s) {
    const float m1 = (p2 - p0) * 0.5f;
    const float m2 = (p3 - p1) * 0.5f;
    const float s2 = s * s;
    const float s3 = s2 * s;
    return p1 + m1 * s + (3.0f * p2 - 3.0f * p1 - 2.0f * m1 - m2) * s2 + (2.0f * p1 - 2.0f * p2 + m1 + m2) * s3;
}

// Writes x, y, z of out from the channel around the segment; an empty channel
// leaves out unchanged.
void interpolate(const std::vector<vector3>& channel, const segment& g, vector3& out) {
    if (channel.empty()) return;
    const vector3& a = key_of(channel, g.key[0]);
    const vector3& b = key_of(channel, g.key[1]);
    const vector3& c = key_of(channel, g.key[2]);
    const vector3& d = key_of(channel, g.key[3]);
    out.x = hermite(a.x, b.x, c.x, d.x, g.s);
    out.y = hermite(a.y, b.y, c.y, d.y, g.s);
    out.z = hermite(a.z, b.z, c.z, d.z, g.s);
}

}  // namespace

void spline::clear() {
    positions.clear();
    second.clear();
    third.clear();
    count = 0;
    channels = 3;
}

void spline::append_key(const vector3& position, const vector3& second_value, const vector3& third_value) {
    positions.push_back(position);
    second.push_back(second_value);
    third.push_back(third_value);
    ++count;
}

void spline::set_key(int32_t index, int32_t channel, const vector3& value) {
    std::vector<vector3>* lists[3] = {&positions, &second, &third};
    if (channel < 0 || channel > 2 || index < 0) return;
    std::vector<vector3>& list = *lists[channel];
    if (std::size_t(index) < list.size()) list[std::size_t(index)] = value;
}

void spline::evaluate(float t, vector3& out) const {
    const int64_t n = count;
    if (n < 1 || positions.empty()) return;
    const segment g = looping ? looping_segment(t, n) : open_segment(t, n);
    interpolate(positions, g, out);
    if (looping) return;
    if (t > float(n)) out = key_of(positions, n - 1);
    if (t < 0.0f) out = key_of(positions, 0);
}

void spline::evaluate_all(float t, vector3& out_position, vector3& out_second, vector3& out_third) const {
    if (positions.empty()) {
        out_position = out_second = out_third = vector3(1, 100.0f, 0.0f, 0.0f);
        return;
    }
    const int64_t n = count;
    if (n < 2) return;
    const segment g = looping_segment(t, n);
    interpolate(positions, g, out_position);
    if (channels > 2) interpolate(third, g, out_third);
    if (channels >= 2) interpolate(second, g, out_second);
}

bool spline::load_points_from_text(std::string_view text, load_outcome* outcome) {
    clear();
    if (outcome) *outcome = {};
    text_scanner in(text);
    int64_t announced = 0;
    if (!in.read_int(announced) || announced <= 0 || announced > max_points) {
        if (outcome) outcome->problem = load_problem::no_point_count;
        return false;
    }
    positions.reserve(std::size_t(announced));
    bool failed = false;
    for (int64_t i = 0; i < announced; ++i) {
        float xyz[3] = {0.0f, 0.0f, 0.0f};
        for (int k = 0; k < 3 && !failed; ++k) failed = !in.read_float(xyz[k]);
        positions.push_back(vector3::of(xyz[0], xyz[1], xyz[2]));
    }
    count = int32_t(announced);
    if (failed && outcome) outcome->problem = load_problem::points_cut_short;
    return true;
}

bool spline::load_points(const char* file_name, load_outcome* outcome) {
    std::string text;
    const load_outcome read = read_text_file(file_name, text);
    if (!read.ok()) {
        clear();
        if (outcome) *outcome = read;
        return false;
    }
    return load_points_from_text(text, outcome);
}
