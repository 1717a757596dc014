// The executable's folder through SDL, which reads /proc/self/exe on Linux and the
// module file name on Windows; it needs no SDL subsystem started.
#include "platform/executable_path.h"

#include <SDL2/SDL.h>

std::string executable_folder() {
    char* base = SDL_GetBasePath();
    if (base == nullptr) return {};
    std::string folder = base;
    SDL_free(base);
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
}
