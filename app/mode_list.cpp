// Builds the setup dialog's list of display modes from what SDL reports, labels
// the entries, picks the preselected one and turns the dialog's choice into the
// window and render sizes of the application record.
#include "app/mode_list.h"

#include "app/app_record.h"
#include "app/command_line.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double sixteen_by_nine = 1.7777777777777777;
constexpr int32_t largest_side = 2047;
constexpr double largest_ratio = 1.8;
constexpr display_mode fallback_desktop{1280, 720};  // when SDL cannot name the desktop's size

bool aspect_near(int32_t width, int32_t height, double aspect) {
    return std::fabs(double(width) / double(height) - aspect) < 0.01;
}

std::vector<display_mode> reported_modes(int display, display_mode& desktop) {
    std::vector<display_mode> modes;
    int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0) modes.emplace_back(mode.w, mode.h);
    }
    SDL_DisplayMode current;
    if (SDL_GetDesktopDisplayMode(display, &current) == 0 && current.w > 0 && current.h > 0)
        desktop = {current.w, current.h};
    return modes;
}

}  // namespace

bool mode_usable(int32_t width, int32_t height) {
    double w = width;
    double h = height;
    return w / h <= largest_ratio && h / w <= largest_ratio && width <= largest_side &&
           height <= largest_side && height <= width;
}

std::vector<display_mode> filter_modes(const std::vector<display_mode>& reported,
                                       display_mode desktop) {
    std::vector<display_mode> modes;
    for (const display_mode& mode : reported) {
        if (std::find(modes.begin(), modes.end(), mode) != modes.end()) continue;
        if (mode_usable(mode.first, mode.second)) modes.push_back(mode);
    }
    if (modes.empty()) modes.push_back(desktop);
    return modes;
}

std::string mode_label(int32_t width, int32_t height) {
    const char* format = " %d x %d       ";
    if (aspect_near(width, height, 1.6))
        format = " %d x %d  (16:10)";
    else if (aspect_near(width, height, sixteen_by_nine))
        format = " %d x %d  (16:9)";
    char text[64];
    std::snprintf(text, sizeof text, format, int(width), int(height));
    return text;
}

int preselected_mode(const std::vector<display_mode>& modes) {
    for (display_mode wanted : {display_mode{1280, 720}, display_mode{1024, 768}}) {
        auto found = std::find(modes.begin(), modes.end(), wanted);
        if (found != modes.end()) return int(found - modes.begin());
    }
    return 0;
}

int32_t forced_16_9_height(int32_t width) {
    return int32_t(std::trunc(float(width / sixteen_by_nine)));
}

mode_choice preset_choice(const launch_options& options, std::vector<display_mode>& modes) {
    mode_choice choice;
    choice.windowed = options.windowed.value_or(false);
    choice.force_16_9 = options.force_16_9;
    if (options.size) {
        if (std::find(modes.begin(), modes.end(), *options.size) == modes.end()) modes.push_back(*options.size);
        choice.mode = *options.size;
    } else if (!modes.empty()) {
        choice.mode = modes[size_t(preselected_mode(modes))];
    }
    return choice;
}

void apply_mode_choice(const mode_choice& choice, AppRecord& record) {
    record.antialiased = choice.antialiased;
    record.fullscreen = !choice.windowed;
    record.force_16_9 = choice.force_16_9;
    auto [width, height] = choice.mode;
    record.window_width = width;
    record.window_height = height;
    record.render_width = width;
    if (choice.force_16_9) {
        record.render_height = forced_16_9_height(width);
        if (choice.windowed) record.window_height = record.render_height;
    } else {
        record.render_height = height;
    }
}

void build_mode_list(SDL_Window* window) {
    app.mode_list.clear();
    display_mode desktop = fallback_desktop;
    std::vector<display_mode> reported;
    // The video subsystem stays up: the window opens right after the dialog, and
    // closing the X connection only to open another at once is a race some X
    // servers lose (a connection opened as another closes can be dropped).
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        int display = window ? std::max(SDL_GetWindowDisplayIndex(window), 0) : 0;
        reported = reported_modes(display, desktop);
    } else {
        std::fprintf(stderr, "velmoria: no display modes: %s\n", SDL_GetError());
    }
    app.mode_list = filter_modes(reported, desktop);
}
