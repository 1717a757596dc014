// The performance counter on Linux: SDL's, which reads the monotonic clock in
// nanoseconds and needs no initialisation.
#include "platform/system_services.h"

#include <SDL2/SDL.h>

int64_t performance_counter() { return int64_t(SDL_GetPerformanceCounter()); }

int64_t performance_frequency() { return int64_t(SDL_GetPerformanceFrequency()); }
