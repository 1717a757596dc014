// The show's pseudo-random generator: the Windows C runtime's rand/srand sequence
// (state = state * 214013 + 2531011, result = (state >> 16) & 32767). Linux's own
// rand() gives other numbers, and the choreography depends on this exact sequence,
// so every random draw in the program goes through these two functions.
#pragma once

#include <cstdint>

constexpr int show_rand_max = 32767;

void show_srand(uint32_t seed);
int show_rand();
// The generator's raw state, for tests that save and compare it.
uint32_t show_rand_state();
