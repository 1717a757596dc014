// velmoria-timing-summary: summarises a timing log written by the show's
// --timing-log: the A/V offset and the frame times after the first second.
#include "tools/timingsummary/timing_summary.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: velmoria-timing-summary FILE.csv\n"
                             "Summarises a log written by velmoria --timing-log FILE.csv.\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "velmoria-timing-summary: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<timing_sample> rows;
    std::string problem;
    if (!read_timing_log(in, rows, problem)) {
        std::fprintf(stderr, "velmoria-timing-summary: %s: %s\n", argv[1], problem.c_str());
        return 1;
    }
    constexpr double settle_s = 1.0;
    std::fputs(format_summary(summarise(rows, settle_s), settle_s).c_str(), stdout);
    return 0;
}
