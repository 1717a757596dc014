// Running a helper program (ffprobe, ffmpeg) to its end: arguments passed as they
// are, with no shell in between, and its standard output collected when asked.
#pragma once

#include <string>
#include <vector>

// Runs arguments[0] with `arguments` and waits for it. Its exit code, or -1 when it
// could not be started or was ended by a signal. Its standard output goes into
// `output` when given; its standard error passes through.
int run_program(const std::vector<std::string>& arguments, std::string* output = nullptr);

// Keeps the descriptor from every program started from now on.
void keep_from_children(int descriptor);

// Whether a process with this id is running on this machine now (one of another
// user's counts).
bool process_running(long pid);

// This machine's name, as the system gives it; empty when it gives none.
std::string machine_name();
