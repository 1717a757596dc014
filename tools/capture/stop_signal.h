// Ctrl-C, SIGTERM and SIGHUP (the terminal closed) as a request: every run
// notices it between frames and stops cleanly (ffmpeg finishes its file, child
// processes and the private X server are ended) instead of dying mid-write.
#pragma once

// From now on SIGINT, SIGTERM and SIGHUP only set the request; SDL is told to
// leave them.
void catch_stop_signals();
bool stop_requested();
// The exit code of a stopped run: 128 plus the signal's number (129 for SIGHUP,
// 130 for SIGINT, 143 for SIGTERM); 0 while no stop was requested.
int stop_exit_code();
