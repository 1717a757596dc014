// The display-mode list offered by the setup dialog and the choice made with Run:
// which reported modes are usable, how each is labelled, which one is preselected,
// and the window and render sizes that follow from the dialog's buttons.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct AppRecord;
struct SDL_Window;

using display_mode = std::pair<int32_t, int32_t>;  // width, height

// True when a mode may be offered: aspect at most 1.8 either way, both sides at
// most 2047 and no portrait mode (square ones pass).
bool mode_usable(int32_t width, int32_t height);

// The usable modes of `reported`, in its order, each width and height once. When
// none is usable the list holds `desktop` alone, so Run always has a mode.
std::vector<display_mode> filter_modes(const std::vector<display_mode>& reported,
                                       display_mode desktop);

// " 1920 x 1080  (16:9)", " 1680 x 1050  (16:10)" or " 1024 x 768       ".
std::string mode_label(int32_t width, int32_t height);

// Index of 1280 x 720 if listed, else of 1024 x 768, else 0.
int preselected_mode(const std::vector<display_mode>& modes);

// Height of the picture when 16:9 is forced: width / (16/9) in single precision,
// truncated toward zero (1280 gives 720, 1366 gives 768).
int32_t forced_16_9_height(int32_t width);

// The dialog's state when Run is pressed.
struct mode_choice {
    bool antialiased = true;
    bool windowed = false;
    bool force_16_9 = true;
    display_mode mode{0, 0};
};

struct launch_options;

// The dialog's first choice: its defaults (full screen, the preselected mode, 16:9)
// with what the command line presets. A size missing from `modes` is added at the
// end, so the drop-down can show it.
mode_choice preset_choice(const launch_options& options, std::vector<display_mode>& modes);

// Writes the choice into the record: the flags, the window size and the render size.
void apply_mode_choice(const mode_choice& choice, AppRecord& record);

// Fills app.mode_list from the display's modes as SDL reports them (the window's
// display, or the primary display when there is no window), in SDL's order.
void build_mode_list(SDL_Window* window = nullptr);
