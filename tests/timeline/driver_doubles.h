// Test doubles of the frame driver: a sound source the test steers (position,
// length, spectrum, and a record of every call), a part that records what it is
// handed and draws from the show's generator, and the set-up that routes the
// driver's services to them over a fresh driver record.
#pragma once

#include "tests/support/gl_test_context.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_records.h"
#include "timeline/parts.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class fake_sound : public sound_source {
public:
    bool init_succeeds = true;
    bool load_succeeds = true;
    int playback_frequency = 44100;
    uint32_t sample_length = 300 * 44100;
    std::function<uint32_t()> position_source = [] { return 0u; };
    std::array<float, 512> spectrum_values{};
    // The channel play puts the music on: not 0, so a driver that assumes channel
    // 0 hears nothing and its seeks and pauses land nowhere.
    int music_channel = 3;
    std::string failure_reason;  // what problem() says
    bool setters_succeed = true;  // what set_mode, set_position and the others give

    std::vector<std::string> calls;  // names in call order
    std::vector<uint32_t> seeks;
    std::vector<int> volumes;
    unsigned loop_mode = 0;
    bool fft_active = false;
    bool paused = false;
    int polls = 0;

    bool init(int mix_rate, int channels, unsigned flags) override;
    FSOUND_SAMPLE* load(const char* file_name, unsigned mode) override;
    bool set_mode(FSOUND_SAMPLE* sample, unsigned mode) override;
    FSOUND_DSPUNIT* fft_unit() override;
    bool set_active(FSOUND_DSPUNIT* unit, bool active) override;
    int play(int channel, FSOUND_SAMPLE* sample) override;
    bool set_position(int channel, uint32_t position) override;
    uint32_t position(int channel) override;
    bool set_paused(int channel, bool paused) override;
    int frequency(int channel) override;
    uint32_t length(FSOUND_SAMPLE* sample) override;
    const float* spectrum() override;
    bool set_volume(int channel, int volume) override;
    void close() override;
    std::string problem() override { return failure_reason; }

    int count(const std::string& name) const;
};

class recording_part : public parts {
public:
    static constexpr int draws_per_frame = 5;
    std::vector<FrameTiming> timings;
    std::vector<PointerState> pointers;
    std::vector<std::array<int, draws_per_frame>> random_draws;
    int inits = 0;
    outcome problem_at_init;  // what init reports it could not load
    bool* deleted = nullptr;

    ~recording_part() override;
    void draw(FrameTiming* timing, RenderContext* context, PointerState* pointer) override;
    void init(RenderContext* context) override;
    std::vector<double> clock_steps;  // steps handed to advance_clock
    void advance_clock(FrameTiming& timing) override;
    int clock_resets = 0;
    void reset_clock() override;
};

// One GL context for the whole test program, made on first use: SDL's video
// subsystem does not always come back after being shut down within a process.
gl_test::GlTestContext& shared_gl();

// The record the driver works on in these tests; each rig makes it afresh.
extern driver_record record;

// Everything a test reads back after driving frames.
struct driver_rig {
    fake_sound sound;
    int64_t counter = 1000000;  // ticks of 1 microsecond
    int cursor_x = 400;
    int cursor_y = 300;
    std::vector<int> exits;             // the exit code of each status that was not playing
    std::vector<std::string> messages;  // "caption|text" of each failed start's box
    std::vector<outcome> problems;      // each failed start's problem
    int notes_handed_over = 0;
    int swaps = 0;
    int64_t swap_ticks = 0;  // counter ticks each buffer swap takes: a slow load
    recording_part* part = nullptr;
    bool part_deleted = false;

    // Resets the record, hands it to the driver and points the driver's services
    // here.
    driver_rig();
    ~driver_rig();

    // demo_init, its status kept in exits, messages and problems.
    show_status init();
    // Ready to drive frames without demo_init: the part in slot 0, the music
    // sample handle set, the clock started at demo_time.
    void start_show(double demo_time, bool sound_on);
    // Advances the counter by seconds (may be negative) and drives one frame; an
    // ended show's exit code joins exits.
    show_status frame(double seconds);
    // drive_frame on whatever counter the services have, its status kept as above.
    show_status drive();
    // Sets the fake music position in seconds.
    void music_at(double seconds);
};
