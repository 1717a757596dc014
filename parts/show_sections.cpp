// The section list, its show times taken from the choreography's timeline and its
// music times from the clock's slow stretches.
#include "parts/show_sections.h"

#include "parts/start_rules.h"

namespace {

constexpr double slow_rate = 0.922;
constexpr double slower_rate = 0.922 * 0.56;

show_section at(double show_time, const char* name) {
    return {show_time, music_time_at_show_time(show_time), name};
}

}  // namespace

double music_time_at_show_time(double show_time) {
    const double start = -start_clock_floor;  // music time when the clock reads 0
    if (show_time <= slow_time) return show_time + start;
    const double slow_start = slow_time + start;
    if (show_time <= slower_time) return slow_start + (show_time - slow_time) / slow_rate;
    return slow_start + (slower_time - slow_time) / slow_rate + (show_time - slower_time) / slower_rate;
}

const std::vector<show_section>& show_sections() {
    static const std::vector<show_section> sections = {
        at(start_clock_floor, "Strands round the figure column"),
        at(86.0, "Wings withdrawn"),
        at(105.0, "Upper transformation mesh"),
        at(120.0, "Figure column multiplies"),
        at(169.0, "Strand group F"),
        at(rewind_from, "Replay"),
        at(rewind_to, "Tilted mesh and strand group C"),
        at(slower_time, "Credits"),
    };
    return sections;
}
