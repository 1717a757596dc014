// vector3 and view_pose arithmetic. Everything here is single precision except the
// look-at matrix, which is built in double precision like gluLookAt.
#include "geometry/vector3.h"

#include <cmath>

namespace {
const vector3 zero_result(1, 0.0f, 0.0f, 0.0f);

bool both_set(const vector3& a, const vector3& b) { return a.state != 0 && b.state != 0; }
}  // namespace

vector3 add(const vector3& a, const vector3& b) {
    if (!both_set(a, b)) return zero_result;
    return vector3(1, a.x + b.x, a.y + b.y, a.z + b.z);
}

vector3 sub(const vector3& a, const vector3& b) {
    if (!both_set(a, b)) return zero_result;
    return vector3(1, a.x - b.x, a.y - b.y, a.z - b.z);
}

vector3 cross(const vector3& a, const vector3& b) {
    if (!both_set(a, b)) return zero_result;
    return vector3(1, a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

vector3 scale(const vector3& v, float s) {
    if (v.state == 0) return zero_result;
    return vector3(v.state, v.x * s, v.y * s, v.z * s);
}

void scale(const vector3& v, float s, vector3& out) { out = scale(v, s); }

float length(const vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void normalise(vector3& v) {
    if (v.state != 1) return;
    v.state = 2;
    const float len = length(v);
    if (len < 1e-8f) {
        v.x = v.y = v.z = 0.0f;
        return;
    }
    const float inv = 1.0f / len;
    v.x *= inv;
    v.y *= inv;
    v.z *= inv;
}

void look_at_matrix(const view_pose& pose, double m[16]) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0 : 0.0;
    const double ex = pose.eye.x, ey = pose.eye.y, ez = pose.eye.z;
    double f[3] = {pose.centre.x - ex, pose.centre.y - ey, pose.centre.z - ez};
    const double up[3] = {pose.up.x, pose.up.y, pose.up.z};
    const double flen = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (flen == 0.0) return;  // eye on the centre: no view direction, keep identity
    for (double& c : f) c /= flen;
    double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
    const double slen = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (slen == 0.0) return;  // up parallel to the view direction (or zero): identity
    for (double& c : s) c /= slen;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    // Rows s, u, -f of the rotation, stored column-major, then the eye translation.
    m[0] = s[0], m[4] = s[1], m[8] = s[2];
    m[1] = u[0], m[5] = u[1], m[9] = u[2];
    m[2] = -f[0], m[6] = -f[1], m[10] = -f[2];
    m[12] = -(m[0] * ex + m[4] * ey + m[8] * ez);
    m[13] = -(m[1] * ex + m[5] * ey + m[9] * ez);
    m[14] = -(m[2] * ex + m[6] * ey + m[10] * ez);
}

void view_pose::interpolate(double t, const view_pose& own, const view_pose& other) {
    const float tf = static_cast<float>(t);
    const vector3 e = add(own.eye, scale(sub(other.eye, own.eye), tf));
    const vector3 c = add(own.centre, scale(sub(other.centre, own.centre), tf));
    const vector3 u = add(own.up, scale(sub(other.up, own.up), tf));
    eye = e;
    centre = c;
    up = u;
}
