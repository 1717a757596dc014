// The process CPU time on Linux: CLOCK_PROCESS_CPUTIME_ID counts every thread.
#include "platform/process_clock.h"

#include <ctime>

double process_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
