// The FSOUND_* calls on real MP3 decoding and SDL's silent audio drivers: lengths,
// real-time playback, looping, seeking, the spectrum of what is being heard, volume
// and muted output (captured through the "disk" driver), the device's mixing path
// (the disk driver without its delay), the fallback to silent output, and calls
// made while the layer is closed.
#include "platform/file_report.h"
#include "platform/fsound.h"
#include "platform/sound_output.h"
#include "tests/support/sound_fixtures.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

void wait_seconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// Polls until the condition holds or a generous deadline passes: on a loaded
// machine the audio thread may be late by many buffers.
bool eventually(const std::function<bool()>& condition, double seconds = 5.0) {
    const auto end = clock_type::now() + std::chrono::duration<double>(seconds);
    while (clock_type::now() < end) {
        if (condition()) return true;
        wait_seconds(0.005);
    }
    return condition();
}

std::string sine_1000hz() { return make_sine_mp3("sine_1000hz_2s_stereo_44100.mp3", 1000.0, 2.0, 44100, 2); }

// The layer opened on the dummy driver with the 2-second sine loaded; closed again
// at the end of each test.
class SoundLayer : public ::testing::Test {
protected:
    void SetUp() override {
        use_audio_driver("dummy");
        ASSERT_TRUE(FSOUND_Init(44100, 32, 2));
        sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
        ASSERT_NE(sample, nullptr);
    }
    void TearDown() override { FSOUND_Close(); }

    int play(unsigned mode) {
        FSOUND_Sample_SetMode(sample, mode);
        return FSOUND_PlaySound(FSOUND_FREE, sample);
    }

    FSOUND_SAMPLE* sample = nullptr;
};

}  // namespace

TEST(SoundLayerClosed, CallsWithoutInitAreHarmless) {
    FSOUND_Close();
    EXPECT_FALSE(FSOUND_SetCurrentPosition(0, 44100));
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), 0u);
    EXPECT_EQ(FSOUND_GetFrequency(0), 0);
    EXPECT_EQ(FSOUND_Sample_GetLength(nullptr), 0u);
    EXPECT_FALSE(FSOUND_SetVolume(FSOUND_ALL, 0));
    EXPECT_EQ(FSOUND_DSP_GetFFTUnit(), nullptr);
    const float* spectrum = FSOUND_DSP_GetSpectrum();
    ASSERT_NE(spectrum, nullptr);
    EXPECT_TRUE(std::all_of(spectrum, spectrum + 512, [](float v) { return v == 0.0f; }));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0), nullptr);
    FSOUND_Close();
}

TEST(SoundLayerClosed, UnknownDriverFallsBackToSilentOutputWithOneLine) {
    use_audio_driver("no-such-audio-driver");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool opened = FSOUND_Init(44100, 32, 2);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(opened);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(said.rfind(std::string(program_name()) + ": sound: no audio device (", 0), 0u) << said;
    EXPECT_NE(said.find("); playing through the silent output\n"), std::string::npos) << said;
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    FSOUND_Close();
}

// A failed load gives null and keeps its reason for the caller, who says it; the
// next load that succeeds clears it.
TEST_F(SoundLayer, MissingOrUndecodableFileGivesNullAndItsReason) {
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (scratch_folder() + "/missing.mp3").c_str(), 304, 0, 0), nullptr);
    EXPECT_EQ(fsound_last_problem(), "No such file or directory");
    const std::string text = scratch_folder() + "/not_an_mp3.mp3";
    std::ofstream(text) << "plain text, no MPEG audio frames in here\n";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, text.c_str(), 304, 0, 0), nullptr);
    EXPECT_FALSE(fsound_last_problem().empty());
    EXPECT_NE(FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0), nullptr);
    EXPECT_EQ(fsound_last_problem(), "");
}

TEST_F(SoundLayer, LengthFrequencyAndChannelZero) {
    EXPECT_EQ(FSOUND_Sample_GetLength(sample), 88200u);
    // The silent driver is mixed by the wall clock and heard as it is mixed.
    sound_output_report report;
    ASSERT_TRUE(describe_sound_output(report));
    EXPECT_TRUE(report.paced_by_clock);
    EXPECT_EQ(report.latency_frames, 0);
    EXPECT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_GetFrequency(0), 44100);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 1);  // channel 0 is taken now
}

TEST_F(SoundLayer, PositionAdvancesAtRealTimeRate) {
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    ASSERT_TRUE(eventually([] { return FSOUND_GetCurrentPosition(0) > 0; }));  // being heard
    const auto start_time = clock_type::now();
    const unsigned start = FSOUND_GetCurrentPosition(0);
    unsigned last = start;
    int backwards = 0;
    while (clock_type::now() - start_time < std::chrono::milliseconds(1200)) {
        const unsigned now = FSOUND_GetCurrentPosition(0);
        if (now < last) ++backwards;
        last = now;
        wait_seconds(0.001);
    }
    const unsigned end = FSOUND_GetCurrentPosition(0);
    const double seconds = std::chrono::duration<double>(clock_type::now() - start_time).count();
    ASSERT_GT(end, start);
    // The paced driver never plays ahead of the clock; on a loaded machine its
    // thread wakes late and falls behind, so only a rate far too low (a stalled
    // or halved position) or ahead of real time is a fault.
    const double rate = (end - start) / 44100.0 / seconds;
    EXPECT_GT(rate, 0.5);
    EXPECT_LT(rate, 1.1);
    EXPECT_EQ(backwards, 0);  // the 2-second sample does not wrap in this time
}

TEST_F(SoundLayer, LoopingWrapsAndOneShotStopsAtTheEnd) {
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    const unsigned near_end = 88200 - 4410;  // 0.1 s before the end
    ASSERT_TRUE(FSOUND_SetCurrentPosition(0, near_end));
    ASSERT_TRUE(eventually([&] { return FSOUND_GetCurrentPosition(0) < near_end; }));
    EXPECT_LT(FSOUND_GetCurrentPosition(0), 44100u);  // early in the next round

    FSOUND_Sample_SetMode(sample, 1);  // loop off
    ASSERT_TRUE(FSOUND_SetCurrentPosition(0, near_end));
    EXPECT_TRUE(eventually([] { return FSOUND_GetCurrentPosition(0) == 88200u; }));
    wait_seconds(0.1);
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), 88200u);  // and stays there
}

TEST_F(SoundLayer, SeekLandsWhereAsked) {
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    wait_seconds(0.1);
    ASSERT_TRUE(FSOUND_SetCurrentPosition(0, 66150));
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), 66150u);  // nothing newer heard yet
    unsigned lowest = 66150;
    ASSERT_TRUE(eventually([&] {
        const unsigned at = FSOUND_GetCurrentPosition(0);
        lowest = std::min(lowest, at);
        return at >= 66150u + 4410u;
    }));
    EXPECT_EQ(lowest, 66150u);  // it went on from there, never back
    EXPECT_FALSE(FSOUND_SetCurrentPosition(0, 88200));  // past the end: stays
    EXPECT_FALSE(FSOUND_SetCurrentPosition(5, 0));      // nothing on that channel
}

TEST_F(SoundLayer, SpectrumPeaksAtTheSineAndIsZeroWhileTheUnitIsOff) {
    FSOUND_DSPUNIT* unit = FSOUND_DSP_GetFFTUnit();
    ASSERT_NE(unit, nullptr);
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    wait_seconds(0.15);
    const float* off = FSOUND_DSP_GetSpectrum();
    EXPECT_TRUE(std::all_of(off, off + 512, [](float v) { return v == 0.0f; }));

    ASSERT_TRUE(FSOUND_DSP_SetActive(unit, 1));
    const float* spectrum = FSOUND_DSP_GetSpectrum();
    const int peak = int(std::max_element(spectrum, spectrum + 512) - spectrum);
    EXPECT_NEAR(peak, 1000.0 * 1024 / 44100, 1.0);
    EXPECT_NEAR(spectrum[peak], 0.5, 0.1);  // the sine is at half scale
    EXPECT_TRUE(std::all_of(spectrum, spectrum + 512, [](float v) { return v >= 0.0f && v <= 1.0f; }));
    EXPECT_LT(spectrum[100], 0.01f);

    FSOUND_SetVolume(FSOUND_ALL, 0);  // the spectrum is of what is heard
    EXPECT_TRUE(eventually([] {
        const float* now = FSOUND_DSP_GetSpectrum();
        return *std::max_element(now, now + 512) < 1e-6f;
    }));
}

TEST(SoundLayerCapture, VolumeZeroSilencesTheOutput) {
    const std::string capture = scratch_folder() + "/volume_zero_capture.raw";
    use_audio_driver("disk");
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 2));
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
    ASSERT_NE(sample, nullptr);
    FSOUND_Sample_SetMode(sample, FSOUND_LOOP_NORMAL);
    const auto written = [&] { return uintmax_t(std::filesystem::file_size(capture)); };
    const uintmax_t buffer_bytes = 1024 * 4;
    const uintmax_t before_play = written();
    ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    ASSERT_TRUE(eventually([&] { return written() >= before_play + 12 * buffer_bytes; }));
    FSOUND_SetVolume(FSOUND_ALL, 0);
    const uintmax_t at_silence = written();
    ASSERT_TRUE(eventually([&] { return written() >= at_silence + 8 * buffer_bytes; }));
    FSOUND_Close();

    std::ifstream raw(capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    const auto loudest = [&](uintmax_t from_byte, uintmax_t to_byte) {
        int peak = 0;
        for (size_t i = size_t(from_byte / 2); i < size_t(to_byte / 2) && i < samples.size(); ++i)
            peak = std::max(peak, std::abs(int(samples[i])));
        return peak;
    };
    EXPECT_GT(loudest(before_play, at_silence), 14000);  // the half-scale sine
    const uintmax_t end = samples.size() * 2;
    EXPECT_EQ(loudest(end - 4 * buffer_bytes, end), 0);  // silent after volume 0
}

TEST(SoundLayerCapture, MutedOutputIsSilentWhilePositionAndSpectrumGoOn) {
    const std::string capture = scratch_folder() + "/muted_output_capture.raw";
    use_audio_driver("disk");
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    set_output_muted(true);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 2));
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
    ASSERT_NE(sample, nullptr);
    FSOUND_Sample_SetMode(sample, FSOUND_LOOP_NORMAL);
    FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), 1);
    const auto written = [&] { return uintmax_t(std::filesystem::file_size(capture)); };
    ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    ASSERT_TRUE(eventually([&] { return written() >= 12 * 1024 * 4; }));
    EXPECT_TRUE(eventually([] { return FSOUND_GetCurrentPosition(0) > 4410u; }));
    EXPECT_TRUE(eventually([] { return FSOUND_DSP_GetSpectrum()[23] > 0.3f; }));
    const float* spectrum = FSOUND_DSP_GetSpectrum();
    const int peak = int(std::max_element(spectrum, spectrum + 512) - spectrum);
    EXPECT_NEAR(peak, 1000.0 * 1024 / 44100, 1.0);
    EXPECT_NEAR(spectrum[peak], 0.5, 0.1);  // what would be heard
    FSOUND_Close();
    set_output_muted(false);

    std::ifstream raw(capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), size_t(12 * 1024 * 4));
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char b) { return b == 0; }));
}

// Without its delay the disk driver takes buffers as fast as they are mixed, as a
// device does, so the device's path mixes each buffer whole: the one-shot sine
// lies in the capture back to back at full level. Mixed by the wall clock instead,
// such a driver would get almost only silence.
TEST(SoundLayerCapture, UnpacedDriverGetsEveryBufferMixedWhole) {
    const std::string capture = scratch_folder() + "/device_path_capture.raw";
    use_audio_driver("disk");
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 2));
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
    ASSERT_NE(sample, nullptr);
    FSOUND_Sample_SetMode(sample, 1);  // one shot
    // Mixed as a device is, the position is taken back by one buffer: the one
    // being heard while the next is mixed.
    sound_output_report report;
    ASSERT_TRUE(describe_sound_output(report));
    EXPECT_FALSE(report.paced_by_clock);
    EXPECT_GT(report.buffer_frames, 0);
    EXPECT_EQ(report.latency_frames, report.buffer_frames);
    const auto written = [&] { return uintmax_t(std::filesystem::file_size(capture)); };
    const uintmax_t sine_frames = 88200;
    const uintmax_t before_play = written();
    ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    const bool all_written = eventually([&] { return written() >= before_play + (sine_frames + 4096) * 4; });
    const bool ran_out = eventually([] { return FSOUND_GetCurrentPosition(0) == 88200u; });
    FSOUND_Close();
    unsetenv("SDL_DISKAUDIODELAY");
    ASSERT_TRUE(all_written);
    EXPECT_TRUE(ran_out);

    std::ifstream raw(capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    size_t first = size_t(before_play / 2);
    while (first < samples.size() && std::abs(int(samples[first])) < 1000) ++first;
    ASSERT_LT(first + 2 * sine_frames, samples.size()) << "no sine after the play call";
    // Every stretch of 441 frames (ten periods) within the sine reaches its level.
    const size_t stretch = 2 * 441;
    for (size_t at = first; at + stretch <= first + 2 * (sine_frames - 1024); at += stretch) {
        int peak = 0;
        for (size_t i = at; i < at + stretch; ++i) peak = std::max(peak, std::abs(int(samples[i])));
        ASSERT_GT(peak, 14000) << "a gap in the mixed sine at frame " << (at - first) / 2;
    }
}
