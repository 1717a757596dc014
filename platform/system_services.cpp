// SDL2 implementation of the counter, cursor and clipboard services. The counter
// needs no initialisation; the cursor and clipboard need the video subsystem.
#include "platform/system_services.h"

#include <SDL2/SDL.h>

int64_t performance_counter() { return int64_t(SDL_GetPerformanceCounter()); }

int64_t performance_frequency() { return int64_t(SDL_GetPerformanceFrequency()); }

void cursor_position(int& x, int& y) {
    x = 0;
    y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&x, &y);
}

bool set_clipboard_text(const char* text) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    return SDL_SetClipboardText(text) == 0;
}
