// The look-at matrix is computed in geometry/ without GL; only its submission is here.
#include "render/camera_matrix.h"

#include <GL/gl.h>

void multiply_look_at(const view_pose& pose) {
    double m[16];
    look_at_matrix(pose, m);
    glMultMatrixd(m);
}
