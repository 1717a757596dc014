// The application shell's entry: mode selection, window, message loop, shutdown.
#pragma once

int velmoria_main(int argc, char** argv);
