// Mesh drawing: the GL side of an objmesh (client vertex arrays over the
// interleaved 60-byte vertices, one indexed draw per object).
#pragma once

#include "geometry/objmesh.h"

// Draws object `index` of the mesh (every object when index < 0) with client
// vertex arrays, one indexed draw per object, under the caller's GL state.
void draw_mesh_object(const objmesh& mesh, int32_t index);
