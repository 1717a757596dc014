// The setup dialog's meaning: it offers app.mode_list with the preset's buttons and
// mode, and Run writes the choice into the application record. The window system's
// dialog itself lives in the platform layer.
#include "app/dialog.h"

#include "app/app_record.h"
#include "app/mode_list.h"

#include "platform/setup_dialog.h"

#include <algorithm>
#include <cstdio>

namespace {

// The preset's mode when listed, else the usual preselection.
int first_mode(const mode_choice& preset) {
    auto found = std::find(app.mode_list.begin(), app.mode_list.end(), preset.mode);
    if (found != app.mode_list.end()) return int(found - app.mode_list.begin());
    return preselected_mode(app.mode_list);
}

setup_dialog_state dialog_state(const mode_choice& preset) {
    setup_dialog_state state;
    for (const display_mode& mode : app.mode_list) state.modes.push_back(mode_label(mode.first, mode.second));
    state.selected = first_mode(preset);
    state.antialiased = preset.antialiased;
    state.windowed = preset.windowed;
    state.force_16_9 = preset.force_16_9;
    return state;
}

mode_choice read_choice(const setup_dialog_state& state) {
    mode_choice choice;
    choice.antialiased = state.antialiased;
    choice.windowed = state.windowed;
    choice.force_16_9 = state.force_16_9;
    if (state.selected >= 0 && state.selected < int(app.mode_list.size())) choice.mode = app.mode_list[state.selected];
    return choice;
}

void take_fixed_mode() {
    mode_choice choice;
    choice.windowed = true;
    choice.force_16_9 = false;
    choice.mode = {1280, 720};
    apply_mode_choice(choice, app);
}

}  // namespace

bool run_mode_dialog(const mode_choice& preset) {
    if (!app.mode_list_pending) return true;
    setup_dialog_state state = dialog_state(preset);
    const setup_answer answer = show_setup_dialog(state);
    app.mode_list_pending = 0;
    if (answer == setup_answer::no_display) {
        std::fprintf(stderr, "velmoria: no display for the setup dialog; using 1280 x 720 windowed\n");
        take_fixed_mode();
        return true;
    }
    if (answer == setup_answer::quit) return false;
    apply_mode_choice(read_choice(state), app);
    return true;
}
