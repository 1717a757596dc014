// One capture run: the show opened in a window of the capture size through the
// shell's own start-up (window, context, initial state, demo_init), with the frame
// driver's services pointed at a fixed-step counter and the decoded music. Frames
// before the wanted one are stepped on the clocks alone; the wanted frame is a
// real drive_frame, read back from the window before any swap. A video steps to
// its first time on the clocks alone and then draws every frame.
#pragma once

#include "tools/capture/capture_sound.h"
#include "tools/capture/png_image.h"

class part_start;

class capture_session {
public:
    capture_session(int width, int height, int fps);
    // A session whose fixed step is `step` seconds (a video's frame length).
    capture_session(int width, int height, double step);
    ~capture_session();
    capture_session(const capture_session&) = delete;
    capture_session& operator=(const capture_session&) = delete;

    // Opens the window and loads the show; false when the shell refused or a
    // shader program of the show did not build (named on standard error).
    bool open();
    // Draws frame n (later than every frame drawn or stepped so far) and returns
    // the window's picture.
    rgb_image capture(long n);

    // Steps the clocks alone, one fixed step at a time, while a whole step still
    // ends at or before `time`.
    void step_clocks_to(double time);
    // Draws the frame at demo time `time` (not before the last one): a step that
    // differs from the fixed step by rounding only is taken as the fixed step, so
    // the demo time adds up exactly as in a PNG capture. The picture stays in the
    // window until read.
    void draw_at(double time);
    // Moves the clocks exactly as draw_at(time) would, without drawing: a slice
    // of a video passes over the frames before its own this way, so that its
    // clocks reach its first frame through the same steps as a whole recording's.
    void skip_at(double time);
    rgb_image read_window() const;
    // The part, for benchmarks that watch its stages.
    part_start* part() const { return part_; }

    double demo_time() const;
    double part_time() const;

private:
    void step_clocks_only(double step);
    void draw_frame(double step);
    double step_to(double time) const;

    int width_;
    int height_;
    double step_;
    long frames_done_ = 0;
    capture_sound sound_;
    part_start* part_ = nullptr;
    bool opened_ = false;
};
