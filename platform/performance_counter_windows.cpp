// The performance counter on Windows: QueryPerformanceCounter and its frequency,
// which the system fixes at boot.
#include "platform/system_services.h"

#include <windows.h>

int64_t performance_counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return int64_t(now.QuadPart);
}

int64_t performance_frequency() {
    static const int64_t frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return int64_t(value.QuadPart);
    }();
    return frequency;
}
