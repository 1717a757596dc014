// The CPU time the whole process (all of its threads) has used, for per-frame
// timing: on Linux the process CPU-time clock, on Windows the process times.
#pragma once

// Seconds of CPU time used since the process started.
double process_cpu_seconds();
