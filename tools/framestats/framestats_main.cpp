// velmoria-framestats: prints the statistics of captured PNG frames, one line each
// (exposure and the look's five measures), then the look's summary over all of
// them, and says which frames break the exposure bounds. Exit code 1 when any does.
#include "tools/capture/png_image.h"
#include "tools/framestats/frame_stats.h"

#include <cstdio>
#include <vector>

namespace {

void print_spread(const char* name, const spread& s, const char* format) {
    std::printf("  %-16s", name);
    for (double v : {s.p10, s.median, s.p90}) std::printf(format, v);
    std::printf("\n");
}

void print_summary(const look_summary& s) {
    std::printf("\nlook over %d frames: p10 / median / p90\n", s.frames);
    print_spread("range", s.range, " %8.3f");
    print_spread("contrast", s.contrast, " %8.3f");
    print_spread("local contrast", s.local_contrast, " %8.3f");
    print_spread("flat share", s.flat_share, " %8.2f");
    print_spread("colourfulness", s.colourfulness, " %8.1f");
    std::printf("  %d of %d frames more than half flat\n", s.mostly_flat, s.frames);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmoria-framestats FRAME.png...\n");
        return 2;
    }
    int broken = 0;
    std::vector<look_stats> looks;
    std::printf("%-40s %6s %8s %8s %6s %6s %6s %5s %6s\n", "frame", "mean", "clipped", "speckles", "range",
                "contr", "local", "flat", "colour");
    for (int i = 1; i < argc; ++i) {
        rgb_image image;
        if (!read_png(argv[i], image)) {
            std::printf("%-40s unreadable\n", argv[i]);
            ++broken;
            continue;
        }
        const frame_stats s = measure_frame(image.width, image.height, image.pixels);
        const look_stats l = measure_look(image.width, image.height, image.pixels);
        looks.push_back(l);
        const char* problem = frame_problem(s, false);
        std::printf("%-40s %6.3f %7.2f%% %8ld %6.3f %6.3f %6.3f %5.2f %6.1f%s%s\n", argv[i], s.mean_luminance,
                    100.0 * s.clipped_fraction, s.speckles, l.range, l.contrast, l.local_contrast, l.flat_share,
                    l.colourfulness, problem ? "  " : "", problem ? problem : "");
        if (problem) ++broken;
    }
    if (looks.size() > 1) print_summary(summarise_looks(looks));
    return broken ? 1 : 0;
}
