// vector3: the small 3D value the geometry, spline, camera and choreography code
// computes with. Besides x, y, z it carries a state tag (0 unset, 1 ordinary,
// 2 normalised) so that unset values propagate as zero and normalising twice is free.
// view_pose is a camera record (eye, centre, up) built from three of them.
#pragma once

#include <cstdint>

struct vector3 {
    int32_t state = 0;  // 0 = unset, 1 = ordinary value, 2 = normalised
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    vector3() = default;
    vector3(int32_t state_, float x_, float y_, float z_) : state(state_), x(x_), y(y_), z(z_) {}
    // An ordinary value (state 1): what every explicitly built vector is.
    static vector3 of(float x_, float y_, float z_) { return vector3(1, x_, y_, z_); }

    bool operator==(const vector3&) const = default;
};
static_assert(sizeof(vector3) == 16, "vector3 is 16 bytes: state then x, y, z");

// Two-operand operations write a fresh result with state 1; an operand whose state
// is 0 makes the result (1, 0, 0, 0).
vector3 add(const vector3& a, const vector3& b);
vector3 sub(const vector3& a, const vector3& b);
vector3 cross(const vector3& a, const vector3& b);
// v * s keeping v's state; an unset v gives (1, 0, 0, 0).
vector3 scale(const vector3& v, float s);
void scale(const vector3& v, float s, vector3& out);
float length(const vector3& v);
// In place; only state 1 changes: it becomes 2, and a length below 1e-8 gives zeros.
void normalise(vector3& v);

struct view_pose {
    vector3 eye;
    vector3 centre;
    vector3 up;

    // Each of eye, centre, up becomes add(own, scale(sub(other, own), t)), written
    // into this record.
    void interpolate(double t, const view_pose& own, const view_pose& other);
};

// The column-major 4x4 look-at matrix of the pose, built like gluLookAt: the
// identity when the pose is degenerate (eye == centre, or up parallel to the view
// direction), so no NaN reaches a matrix. render/camera_matrix.h applies it.
void look_at_matrix(const view_pose& pose, double out[16]);
