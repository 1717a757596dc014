// The setup dialog shown before the show's window opens: resolution, antialiasing,
// windowed output and a forced 16:9 picture (modal, at the mouse pointer).
#pragma once

#include "app/mode_list.h"

// Shows the dialog over app.mode_list, its buttons and drop-down set as `preset`
// says (the defaults when it is left out, or its mode is not listed). Run writes the choice into `app` and returns
// true; Quit, Escape or the close box return false, and the caller ends the process
// with exit code 0. The dialog is shown at most once per run: later calls keep the
// first choice and return true. Without a usable display it takes the fixed
// 1280 x 720 windowed mode and returns true.
bool run_mode_dialog(const mode_choice& preset = mode_choice{});
