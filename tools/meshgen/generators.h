// The five mesh generators of the show's neomeshes folder. Each returns the whole
// mesh, built deterministically from fixed parameters.
#pragma once

#include "tools/meshgen/mesh_builder.h"

#include <string>

namespace meshgen {

mesh figure_mesh();         // quorrel.obj
mesh simple_figure_mesh();  // quorrels.obj
mesh wing_mesh();           // wings.obj
mesh structure_mesh();      // transf3.obj
mesh credits_mesh(const std::string& font_path);  // credits.obj

}  // namespace meshgen
