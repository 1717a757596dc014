// The camera on the GL matrix stack: a view_pose's look-at matrix multiplied onto
// the current matrix.
#pragma once

#include "geometry/vector3.h"

// Multiplies the current GL matrix by the pose's look-at matrix (no identity load
// first); a degenerate pose multiplies by the identity.
void multiply_look_at(const view_pose& pose);
