// The FSOUND_* calls on real MP3 decoding and SDL's silent audio drivers: lengths,
// real-time playback, looping, seeking, the spectrum of what is being heard, volume
// (captured through the "disk" driver), the fallback to silent output, and calls
// made while the layer is closed.
#include "platform/fsound.h"
#include "sound_fixtures.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

void wait_seconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

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
    const bool opened = FSOUND_Init(44100, 32, 2);
    const std::string said = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(opened);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("silent output"), std::string::npos) << said;
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    FSOUND_Close();
}

TEST_F(SoundLayer, MissingOrUndecodableFileGivesNull) {
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (scratch_folder() + "/missing.mp3").c_str(), 304, 0, 0), nullptr);
    const std::string text = scratch_folder() + "/not_an_mp3.mp3";
    std::ofstream(text) << "plain text, no MPEG audio frames in here\n";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, text.c_str(), 304, 0, 0), nullptr);
}

TEST_F(SoundLayer, LengthFrequencyAndChannelZero) {
    EXPECT_EQ(FSOUND_Sample_GetLength(sample), 88200u);
    EXPECT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_GetFrequency(0), 44100);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 1);  // channel 0 is taken now
}

TEST_F(SoundLayer, PositionAdvancesAtRealTimeRate) {
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    wait_seconds(0.1);  // let the output settle into its rhythm
    const auto start_time = clock_type::now();
    const unsigned start = FSOUND_GetCurrentPosition(0);
    wait_seconds(1.2);
    const unsigned end = FSOUND_GetCurrentPosition(0);
    const double seconds = std::chrono::duration<double>(clock_type::now() - start_time).count();
    ASSERT_GT(end, start);
    EXPECT_NEAR((end - start) / 44100.0 / seconds, 1.0, 0.05);
}

TEST_F(SoundLayer, LoopingWrapsAndOneShotStopsAtTheEnd) {
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    ASSERT_TRUE(FSOUND_SetCurrentPosition(0, 88200 - 4410));  // 0.1 s before the end
    wait_seconds(0.4);
    const unsigned wrapped = FSOUND_GetCurrentPosition(0);
    EXPECT_GT(wrapped, 4410u);  // about 0.3 s into the next round
    EXPECT_LT(wrapped, 44100u);

    FSOUND_Sample_SetMode(sample, 1);  // loop off
    ASSERT_TRUE(FSOUND_SetCurrentPosition(0, 88200 - 4410));
    wait_seconds(0.4);
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), 88200u);
}

TEST_F(SoundLayer, SeekLandsWhereAsked) {
    ASSERT_EQ(play(FSOUND_LOOP_NORMAL), 0);
    wait_seconds(0.1);
    ASSERT_TRUE(FSOUND_SetCurrentPosition(0, 66150));
    const unsigned at = FSOUND_GetCurrentPosition(0);
    EXPECT_GE(at, 66150u);
    EXPECT_LT(at, 66150u + 2205u);  // within 50 ms
    wait_seconds(0.2);
    EXPECT_NEAR(double(FSOUND_GetCurrentPosition(0)), 66150.0 + 0.2 * 44100, 0.05 * 44100);
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
    wait_seconds(0.15);
    spectrum = FSOUND_DSP_GetSpectrum();
    EXPECT_LT(*std::max_element(spectrum, spectrum + 512), 1e-6f);
}

TEST(SoundLayerCapture, VolumeZeroSilencesTheOutput) {
    const std::string capture = scratch_folder() + "/volume_zero_capture.raw";
    use_audio_driver("disk");
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 2));
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, sine_1000hz().c_str(), 304, 0, 0);
    ASSERT_NE(sample, nullptr);
    FSOUND_Sample_SetMode(sample, FSOUND_LOOP_NORMAL);
    ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    wait_seconds(0.25);
    FSOUND_SetVolume(FSOUND_ALL, 0);
    wait_seconds(0.25);
    FSOUND_Close();

    std::ifstream raw(capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    ASSERT_GT(samples.size(), size_t(2 * 44100 * 0.4));
    const auto loudest = [](auto begin, auto end) {
        int peak = 0;
        for (auto it = begin; it != end; ++it) peak = std::max(peak, std::abs(int(*it)));
        return peak;
    };
    const size_t tenth = 2 * 4410;  // 0.1 s of stereo values
    EXPECT_GT(loudest(samples.begin(), samples.begin() + tenth * 2), 14000);  // half scale while playing
    EXPECT_EQ(loudest(samples.end() - tenth, samples.end()), 0);              // silent after volume 0
}
