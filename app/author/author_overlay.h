// Author mode's overlay: Dear ImGui over the show's window, switched by F1. Only
// the show's program installs it, so captures, recordings and benchmarks never
// draw it, and nothing below app/ sees ImGui.
#pragma once

// Hooks the overlay into the message loop and the window's events. It draws only
// in author mode, while shown, and starts ImGui on its first shown frame.
void install_author_overlay();
