// The setup dialog as the window system shows it: a drop-down of display modes,
// three push-like toggles (Antialiased, Windowed, Force 16:9) and Run and Quit,
// modal and centred on the mouse pointer. GTK 3 on Linux, a Win32 dialog from a
// resource template on Windows; what the choice means is the caller's business.
#pragma once

#include <string>
#include <vector>

struct setup_dialog_state {
    std::vector<std::string> modes;  // the drop-down's labels, in order
    int selected = 0;                // the selected label (-1: none)
    bool antialiased = true;
    bool windowed = false;
    bool force_16_9 = true;
};

// Run (or Enter) answers run, Quit, Escape and the close box quit; no_display when
// the dialog cannot be shown at all.
enum class setup_answer { run, quit, no_display };

// Shows `state` and waits; after run, `state` holds what the user chose.
setup_answer show_setup_dialog(setup_dialog_state& state);
