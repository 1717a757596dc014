// Timing of the sound layer: decoding a five-minute MP3 from memory, one spectrum,
// one position query, and the playback clock measured against the wall clock on
// the silent drivers (offset after the start, jitter, rate).
// Run by hand: build-dir/bench/platform/sound_benchmark
#include "platform/fsound.h"
#include "platform/sound_decode.h"
#include "platform/sound_output.h"
#include "platform/spectrum_analysis.h"
#include "tests/support/sound_fixtures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

// Five minutes of a stereo two-tone signal with a slow chirp, 192 kbit/s.
const std::vector<uint8_t>& five_minute_mp3() {
    static const std::vector<uint8_t> bytes = [] {
        const std::string wav = scratch_folder() + "/five_minutes.wav";
        const std::string mp3 = scratch_folder() + "/five_minutes.mp3";
        const std::string command = "sox -n -r 44100 -c 2 -b 16 '" + wav +
                                    "' synth 300 sine 220-880 sine 1000 vol 0.4 && lame --quiet -b 192 '" + wav +
                                    "' '" + mp3 + "'";
        std::vector<uint8_t> data;
        if (std::system(command.c_str()) != 0 || !read_file_bytes(mp3, data).done()) std::abort();
        return data;
    }();
    return bytes;
}

void BM_DecodeFiveMinuteMp3(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = five_minute_mp3();
    size_t frames = 0;
    for (auto _ : state) {
        const decoded_sound sound = decode_mp3(bytes.data(), bytes.size());
        frames = sound.frame_count();
        benchmark::DoNotOptimize(sound.frames.data());
    }
    state.counters["seconds_of_audio"] = double(frames) / 44100.0;
    state.counters["mp3_bytes"] = double(bytes.size());
}
BENCHMARK(BM_DecodeFiveMinuteMp3)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Spectrum(benchmark::State& state) {
    spectrum_analyser analyser;
    std::array<float, spectrum_fft_size> input{};
    for (int i = 0; i < spectrum_fft_size; ++i) input[size_t(i)] = float(std::sin(i * 0.1));
    std::array<float, spectrum_bins> output{};
    for (auto _ : state) {
        analyser.compute(input, output);
        benchmark::DoNotOptimize(output.data());
    }
}
BENCHMARK(BM_Spectrum);

// Plays a looping 2-second sine on the named driver and polls its position.
struct playing_sound {
    explicit playing_sound(const char* driver) {
        use_audio_driver(driver);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        FSOUND_Init(44100, 32, 2);
        sample = FSOUND_Sample_Load(FSOUND_FREE,
                                    make_sine_mp3("sine_1000hz_2s_stereo_44100.mp3", 1000.0, 2.0, 44100, 2).c_str(),
                                    304, 0, 0);
        FSOUND_Sample_SetMode(sample, FSOUND_LOOP_NORMAL);
        FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), 1);
        started = clock_type::now();
        FSOUND_PlaySound(FSOUND_FREE, sample);
    }
    ~playing_sound() { FSOUND_Close(); }
    FSOUND_SAMPLE* sample = nullptr;
    clock_type::time_point started;
};

void BM_GetCurrentPosition(benchmark::State& state) {
    playing_sound sound("dummy");
    for (auto _ : state) benchmark::DoNotOptimize(FSOUND_GetCurrentPosition(0));
}
BENCHMARK(BM_GetCurrentPosition);

void BM_GetSpectrumWhilePlaying(benchmark::State& state) {
    playing_sound sound("dummy");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (auto _ : state) benchmark::DoNotOptimize(FSOUND_DSP_GetSpectrum());
}
BENCHMARK(BM_GetSpectrumWhilePlaying);

// Polls the position every millisecond for three seconds (unwrapping the loop) and
// compares it with the wall-clock time since the play call.
void measure_clock(const char* driver) {
    playing_sound sound(driver);
    sound_output_report report;
    describe_sound_output(report);
    const double length = 88200.0;
    double last = 0.0;
    double rounds = 0.0;
    std::vector<double> offsets;  // wall-clock seconds minus reported seconds
    std::vector<double> times;
    std::vector<double> positions;
    const auto end = sound.started + std::chrono::seconds(3);
    while (clock_type::now() < end) {
        const auto before = clock_type::now();
        const double position = FSOUND_GetCurrentPosition(0);
        const auto after = clock_type::now();
        if (position + length / 2 < last) rounds += length;
        last = position;
        const double heard = (position + rounds) / 44100.0;
        const double wall = std::chrono::duration<double>(before - sound.started).count() +
                            0.5 * std::chrono::duration<double>(after - before).count();
        // Polls during which this thread lost the processor say nothing about the clock.
        const bool undisturbed = after - before < std::chrono::microseconds(100);
        if (wall > 0.2 && undisturbed) {
            offsets.push_back(wall - heard);
            times.push_back(wall);
            positions.push_back(heard);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    double mean = 0.0;
    for (double o : offsets) mean += o;
    mean /= double(offsets.size());
    double variance = 0.0;
    double worst = 0.0;
    for (double o : offsets) {
        variance += (o - mean) * (o - mean);
        worst = std::max(worst, std::fabs(o - mean));
    }
    const double rate = (positions.back() - positions.front()) / (times.back() - times.front());
    std::printf("%-6s buffer %d frames (%.1f ms), latency allowed for %d frames (%.1f ms), %s\n", driver,
                report.buffer_frames, 1000.0 * report.buffer_frames / report.rate, report.latency_frames,
                1000.0 * report.latency_frames / report.rate,
                report.paced_by_clock ? "paced by the wall clock" : "paced by the device");
    std::printf("       position behind the play call: mean %.2f ms, deviation %.2f ms (worst %.2f ms), "
                "rate %.5f x real time over %zu polls\n",
                1000.0 * mean, 1000.0 * std::sqrt(variance / double(offsets.size())), 1000.0 * worst, rate,
                offsets.size());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nPlayback clock against the wall clock:\n");
    measure_clock("dummy");
    measure_clock("disk");
    return 0;
}
