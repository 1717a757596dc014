// Mesh drawing: objmesh::draw_object is defined in mesh_draw.cpp, the GL side of
// the mesh (client vertex arrays over the interleaved 60-byte vertices, one
// indexed draw per object). Include geometry/objmesh.h to call it.
#pragma once

#include "geometry/objmesh.h"
