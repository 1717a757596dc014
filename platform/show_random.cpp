// One process-wide generator state, like the C runtime's; only the main thread draws.
#include "platform/show_random.h"

namespace {
uint32_t generator_state = 1;  // the C runtime starts as if seeded with 1
}

void show_srand(uint32_t seed) { generator_state = seed; }

int show_rand() {
    generator_state = generator_state * 214013u + 2531011u;
    return static_cast<int>((generator_state >> 16) & 0x7fffu);
}

uint32_t show_rand_state() { return generator_state; }
