// velmoria-framestats: prints the statistics of captured PNG frames, one line each,
// and says which frames break the exposure bounds. Exit code 1 when any does.
#include "tools/capture/png_image.h"
#include "tools/framestats/frame_stats.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmoria-framestats FRAME.png...\n");
        return 2;
    }
    int broken = 0;
    std::printf("%-40s %8s %9s %9s\n", "frame", "mean", "clipped", "speckles");
    for (int i = 1; i < argc; ++i) {
        rgb_image image;
        if (!read_png(argv[i], image)) {
            std::printf("%-40s unreadable\n", argv[i]);
            ++broken;
            continue;
        }
        const frame_stats s = measure_frame(image.width, image.height, image.pixels);
        const char* problem = frame_problem(s, false);
        std::printf("%-40s %8.3f %8.2f%% %9ld%s%s\n", argv[i], s.mean_luminance, 100.0 * s.clipped_fraction,
                    s.speckles, problem ? "  " : "", problem ? problem : "");
        if (problem) ++broken;
    }
    return broken ? 1 : 0;
}
