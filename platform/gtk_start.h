// Starts GTK once for the whole process (dialog and message boxes share it). The
// C library's locale is left alone: the show parses and prints numbers with it,
// and a decimal comma from the user's locale would break every data file.
#pragma once

// True when GTK could reach a display.
bool start_gtk();
