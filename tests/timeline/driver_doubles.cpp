// The frame driver's test doubles: a steerable sound source, a recording part and
// the rig that swaps them in for the real services.
#include "driver_doubles.h"

#include "platform/show_random.h"
#include "timeline/frame_driver.h"

#include <algorithm>
#include <cmath>

namespace {
FSOUND_SAMPLE* const fake_sample = reinterpret_cast<FSOUND_SAMPLE*>(0x5a3);
FSOUND_DSPUNIT* const fake_unit = reinterpret_cast<FSOUND_DSPUNIT*>(0xf77);
}  // namespace

bool fake_sound::init(int, int, unsigned) {
    calls.push_back("init");
    return init_succeeds;
}
FSOUND_SAMPLE* fake_sound::load(const char*, unsigned) {
    calls.push_back("load");
    return load_succeeds ? fake_sample : nullptr;
}
bool fake_sound::set_mode(FSOUND_SAMPLE*, unsigned mode) {
    calls.push_back("set_mode");
    loop_mode = mode;
    return setters_succeed;
}
FSOUND_DSPUNIT* fake_sound::fft_unit() {
    calls.push_back("fft_unit");
    return fake_unit;
}
bool fake_sound::set_active(FSOUND_DSPUNIT* unit, bool active) {
    calls.push_back("set_active");
    fft_active = unit == fake_unit && active;
    return setters_succeed;
}
int fake_sound::play(int, FSOUND_SAMPLE*) {
    calls.push_back("play");
    return music_channel;
}
bool fake_sound::set_position(int channel, uint32_t position) {
    calls.push_back("set_position");
    if (channel == music_channel) seeks.push_back(position);
    return setters_succeed && channel == music_channel;
}
uint32_t fake_sound::position(int channel) {
    ++polls;
    return channel == music_channel ? position_source() : 0u;
}
bool fake_sound::set_paused(int channel, bool now_paused) {
    calls.push_back("set_paused");
    if (channel == music_channel) paused = now_paused;
    return setters_succeed && channel == music_channel;
}
int fake_sound::frequency(int channel) {
    ++polls;
    return channel == music_channel ? playback_frequency : 0;
}
uint32_t fake_sound::length(FSOUND_SAMPLE*) {
    ++polls;
    return sample_length;
}
const float* fake_sound::spectrum() {
    ++polls;
    return spectrum_values.data();
}
bool fake_sound::set_volume(int, int volume) {
    calls.push_back("set_volume");
    volumes.push_back(volume);
    return setters_succeed;
}
void fake_sound::close() { calls.push_back("close"); }

int fake_sound::count(const std::string& name) const { return int(std::count(calls.begin(), calls.end(), name)); }

gl_test::GlTestContext& shared_gl() {
    static gl_test::GlTestContext context(64, 64);
    return context;
}

recording_part::~recording_part() {
    if (deleted) *deleted = true;
}

void recording_part::draw(FrameTiming* timing, RenderContext*, PointerState* pointer) {
    timings.push_back(*timing);
    pointers.push_back(*pointer);
    std::array<int, draws_per_frame> draws{};
    for (int& value : draws) value = show_rand();
    random_draws.push_back(draws);
}

void recording_part::init(RenderContext*) {
    ++inits;
    init_problem = problem_at_init;
}

void recording_part::advance_clock(FrameTiming& timing) { clock_steps.push_back(timing.step); }

void recording_part::reset_clock() {
    ++clock_resets;
    clock_steps.clear();
}

driver_record record;

driver_rig::driver_rig() {
    record = driver_record();
    hand_driver_record(record);
    record.render_width = 64;
    record.render_height = 64;
    frame_driver_services& services = driver_services();
    services = frame_driver_services();
    services.sound = &sound;
    services.counter = [this] { return counter; };
    services.counter_frequency = [] { return int64_t(1000000); };
    services.cursor = [this](int& x, int& y) {
        x = cursor_x;
        y = cursor_y;
    };
    services.swap_buffers = [this] {
        ++swaps;
        counter += swap_ticks;
    };
    services.hand_over_notes = [this] { ++notes_handed_over; };
    services.make_main_part = [this]() -> parts* {
        part = new recording_part;
        part->deleted = &part_deleted;
        return part;
    };
}

driver_rig::~driver_rig() {
    if (!part_deleted) delete record.part_slots[0];
    record.part_slots[0] = nullptr;
    driver_services() = frame_driver_services();
}

// A status that is not playing is kept as the process would act on it.
static void keep_status(driver_rig& rig, const show_status& status) {
    if (status.playing()) return;
    rig.exits.push_back(status.exit_code);
    if (status.now != show_status::state::failed) return;
    rig.messages.push_back(status.box_caption + "|" + status.box_text);
    rig.problems.push_back(status.problem);
}

show_status driver_rig::init() {
    const show_status status = demo_init();
    keep_status(*this, status);
    return status;
}

void driver_rig::start_show(double demo_time, bool sound_on) {
    record.sound_on = sound_on ? 1 : 0;
    record.part_slots[0] = driver_services().make_main_part();
    record.music_sample = reinterpret_cast<FSOUND_SAMPLE*>(0x5a3);
    record.music_channel = sound.music_channel;  // where the music's start put it
    clock_reset();
    record.frame_timing.clock_reference = clock_read();
    record.frame_timing.demo_time = demo_time;
    music_at(demo_time);
}

show_status driver_rig::frame(double seconds) {
    counter += std::llround(seconds * 1000000.0);
    return drive();
}

show_status driver_rig::drive() {
    const show_status status = drive_frame();
    keep_status(*this, status);
    return status;
}

void driver_rig::music_at(double seconds) {
    const auto samples = uint32_t(std::llround(seconds * 44100.0));
    sound.position_source = [samples] { return samples; };
}
