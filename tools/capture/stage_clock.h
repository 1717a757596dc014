// Wall and CPU clocks for timing the frame's stages: wall time on the steady
// clock, CPU time of the calling thread (the show's own work; the software
// rasteriser's worker threads are not counted).
#pragma once

#include <ctime>

struct stage_time {
    double wall = 0.0;  // seconds
    double cpu = 0.0;
    stage_time& operator+=(const stage_time& o) { return wall += o.wall, cpu += o.cpu, *this; }
    stage_time& operator-=(const stage_time& o) { return wall -= o.wall, cpu -= o.cpu, *this; }
};

inline stage_time stage_now() {
    timespec wall{}, cpu{};
    clock_gettime(CLOCK_MONOTONIC, &wall);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return {double(wall.tv_sec) + double(wall.tv_nsec) * 1e-9, double(cpu.tv_sec) + double(cpu.tv_nsec) * 1e-9};
}

inline stage_time stage_since(const stage_time& start) {
    stage_time t = stage_now();
    t -= start;
    return t;
}
