// The show's sections: the choreography's timeline rows, named for what they show,
// with the music time at which each begins. Author mode seeks and loops by them
// and the overlay marks them on its timeline.
#pragma once

#include <string>
#include <vector>

struct show_section {
    double show_time;   // where the row begins on the part's clock
    double music_time;  // when the part's clock gets there, in seconds of music
    const char* name;
};

// In time order; the first begins at music time 0.
const std::vector<show_section>& show_sections();

// The music time at which the part's clock reads `show_time`: the clock starts at
// -2 with the music and runs slower after 135 and again after 260.
double music_time_at_show_time(double show_time);
