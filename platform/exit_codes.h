// The process exit codes every layer names: a normal end and a start-up failure
// that was reported. The command line's refusal has its own (app/command_line.h).
#pragma once

inline constexpr int exit_normal = 0;
inline constexpr int exit_start_failure = 1;
