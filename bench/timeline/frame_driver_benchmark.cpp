// Per-frame cost of drive_frame without the part's draw (slot 0 holds a part that
// draws nothing): with the sound off, and with a looping soundtrack playing on the
// real sound layer through SDL's silent output (position, length, frequency and
// spectrum polled every frame). Needs an X display for the GL context.
// Run by hand: build-dir/bench/timeline/frame_driver_benchmark
#include "app/app_record.h"
#include "app/program_wiring.h"
#include "platform/fsound.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/sound_fixtures.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_driver_services.h"
#include "timeline/parts.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

class empty_part : public parts {
public:
    void draw(FrameTiming*, RenderContext*, PointerState*) override {}
    void init(RenderContext*) override {}
};

// One GL context for the whole run.
gl_test::GlTestContext& context() {
    static gl_test::GlTestContext made(64, 64);
    return made;
}

// Opens the GL context and, with sound, starts the soundtrack through demo_init
// from a scratch folder holding "music/Tolvek - Velmoria.mp3".
struct driver_setup {
    gl_test::GlTestContext& gl = context();
    std::filesystem::path previous = std::filesystem::current_path();

    explicit driver_setup(bool sound_on) {
        app = AppRecord();
        wire_program(app);
        app.render_width = 64;
        app.render_height = 64;
        app.sound_on = sound_on ? 1 : 0;
        frame_driver_services& services = driver_services();
        services.make_main_part = []() -> parts* { return new empty_part; };
        services.swap_buffers = [] {};
        const std::string mp3 = make_sine_mp3("soundtrack_10s.mp3", 440.0, 10.0, 44100, 2);
        enter_show_folder(mp3);
        use_audio_driver("dummy");
        if (!demo_init().playing()) std::abort();
    }
    ~driver_setup() {
        FSOUND_Close();
        delete app.part_slots[0];
        app.part_slots[0] = nullptr;
        std::filesystem::current_path(previous);
    }
};

// The demo time is held at 100 s so that no end rule fires however long it runs.
void drive_frames(benchmark::State& state, bool sound_on) {
    driver_setup setup(sound_on);
    for (auto _ : state) {
        app.frame_timing.demo_time = 100.0;
        if (!drive_frame().playing()) std::abort();
    }
}

void BM_DriveFrameSoundOff(benchmark::State& state) { drive_frames(state, false); }
void BM_DriveFrameWithMusic(benchmark::State& state) { drive_frames(state, true); }
BENCHMARK(BM_DriveFrameSoundOff);
BENCHMARK(BM_DriveFrameWithMusic);

}  // namespace

BENCHMARK_MAIN();
