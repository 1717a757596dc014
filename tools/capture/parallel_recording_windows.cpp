// Parallel jobs are not ported to Windows: their supervision (one progress pipe
// per job, polled together, and jobs that end with their parent) is built on
// POSIX processes. Slices recorded one at a time and joined give the same file.
#include "tools/capture/parallel_recording.h"

#include <cstdio>

int record_in_parallel(const capture_options&, join_request) {
    std::fprintf(stderr,
                 "velmoria-capture: --jobs is not available on Windows; record the slices one at a time with "
                 "--slice K/N and join them with --join\n");
    return 1;
}
