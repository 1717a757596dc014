// The process CPU time on Windows: kernel plus user time of every thread, in
// units of 100 nanoseconds.
#include "platform/process_clock.h"

#include <windows.h>

namespace {

double seconds_of(const FILETIME& time) {
    const unsigned long long units = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return double(units) * 1e-7;
}

}  // namespace

double process_cpu_seconds() {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0.0;
    return seconds_of(kernel) + seconds_of(user);
}
