// SDL2 implementation of the cursor and clipboard services, which need the video
// subsystem. The counter is the platform's own (performance_counter_*.cpp).
#include "platform/system_services.h"

#include <SDL2/SDL.h>

void cursor_position(int& x, int& y) {
    x = 0;
    y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&x, &y);
}

bool set_clipboard_text(const char* text) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    return SDL_SetClipboardText(text) == 0;
}
