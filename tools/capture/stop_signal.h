// Ctrl-C and SIGTERM as a request: a recording notices it between frames and
// stops cleanly (ffmpeg finishes its file, child processes and the private X
// server are ended) instead of dying in the middle of a write.
#pragma once

// From now on SIGINT and SIGTERM only set the request.
void catch_stop_signals();
bool stop_requested();
