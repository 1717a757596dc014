// Author mode's rules, apart from the window and GL: which key does what, where a
// seek lands, which section a time lies in and the loop the L key sets. Times are
// seconds of music.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

enum class author_action { none, toggle_pause, seek, toggle_loop, toggle_overlay };

struct author_command {
    author_action action = author_action::none;
    double target = 0.0;  // where a seek lands
};

constexpr double seek_step = 1.0;        // Left and Right
constexpr double seek_big_step = 10.0;   // with Shift
// Page Up within this long after a section's start goes to the one before it, so
// that pressing it again keeps going back.
constexpr double section_back_grace = 1.0;

// The command of a key-down message at music time `now`. Toggles ignore the
// keyboard's repeats; seeks repeat while the key is held.
author_command command_for_key(uint8_t key, bool shift, bool repeat, double now);

// The next (step > 0) or previous (step < 0) whole multiple of |step| seconds from
// now, kept within the show: repeated steps land on round times.
double step_target(double now, double step);

// The index of the section that `time` lies in.
size_t section_index(double time);
// Page Up: the start of the current section, or of the one before it within the
// grace after a start. Page Down: the next section's start, empty in the last.
double previous_section_start(double now);
std::optional<double> next_section_start(double now);

// The loop L sets at `now`: the current section, from its start to the next one's
// (or the show's end).
std::pair<double, double> section_loop(double now);

// The overlay's timeline bar spans the show: the music time at a fraction of its
// width (clamped to the bar) and the fraction at a time.
double timeline_time_at(double fraction);
double timeline_fraction(double time);

// The wall times of the last frames, in milliseconds, for the overlay's graph.
class frame_history {
public:
    static constexpr size_t size = 240;
    void add(double milliseconds);
    double latest() const;
    // Oldest first; fewer than `size` until that many frames have passed.
    std::vector<float> in_order() const;

private:
    std::vector<float> values_;
    size_t next_ = 0;
};
