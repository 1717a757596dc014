// The capture tool's sound source: the music decoded into memory and played by no
// device. Its position is the fixed-step demo time, so the frame driver's drift
// correction has nothing to correct, and its spectrum is the spectrum of the 1024
// decoded frames that end at that position, as the sound layer would report it.
#pragma once

#include "platform/sound_decode.h"
#include "platform/spectrum_analysis.h"
#include "timeline/frame_driver_services.h"

#include <array>
#include <functional>
#include <string>

class capture_sound : public sound_source {
public:
    // now() gives the demo time the position and spectrum follow.
    explicit capture_sound(std::function<double()> now);

    bool init(int mix_rate, int channels, unsigned flags) override;
    // Decodes the file; null (the reason kept for problem()) when it holds no
    // playable music, so that the run ends as the show's would.
    FSOUND_SAMPLE* load(const char* file_name, unsigned mode) override;
    bool set_mode(FSOUND_SAMPLE*, unsigned) override { return true; }
    FSOUND_DSPUNIT* fft_unit() override;
    bool set_active(FSOUND_DSPUNIT*, bool) override { return true; }
    int play(int, FSOUND_SAMPLE*) override { return 0; }
    bool set_position(int, uint32_t) override { return true; }
    uint32_t position(int channel) override;
    int frequency(int channel) override;
    uint32_t length(FSOUND_SAMPLE* sample) override;
    const float* spectrum() override;
    bool set_volume(int, int) override { return true; }
    void close() override {}
    std::string problem() override { return problem_; }

    bool has_music() const { return !music_.empty(); }

    // The mono window (-1..1) of the 1024 frames that end at frame `end`; frames
    // before the start or past the end of the music are silent.
    std::array<float, spectrum_fft_size> window_ending_at(long end) const;

private:
    long frame_at_now() const;

    std::function<double()> now_;
    decoded_sound music_;
    spectrum_analyser analyser_;
    std::array<float, spectrum_bins> spectrum_{};
    std::string problem_;
    int marker_ = 0;  // the address of this stands in for the sample and the FFT unit
};
