// The show's program and texture slot numbers, stated once: the main part builds
// its programs and textures into them, the choreography binds them. Texture slots
// count from the part's slot base.
#pragma once

namespace show_slots {

// Program slots.
constexpr int material_program = 1;
constexpr int ssao_program = 3;
constexpr int blur_program = 4;
constexpr int velocity_program = 5;
constexpr int highlight_program = 6;
constexpr int godrays_program = 7;
constexpr int simple_blur_program = 13;

// Texture slots the render targets draw into.
constexpr int scene_color = 0;
constexpr int scene_aux = 11;
constexpr int scene_depth = 26;
constexpr int noise = 27;
constexpr int highlight = 28;
constexpr int second_depth = 29;
constexpr int velocity = 32;

// Texture slots of the images: the normal map, the blob sprite, and the two the
// material samples that nothing renders into.
constexpr int normal_map = 10;
constexpr int blob = 12;
constexpr int black_2d = 111;
constexpr int black_cube = 200;

}  // namespace show_slots
