// What the frame driver reaches outside itself: the sound calls it polls, the
// performance counter, the cursor, the buffer swap, the notes' hand-over and the
// main part's factory. The application fills in the real services before anything
// runs; tests and tools replace single entries (a fake counter, a sound source
// whose position is a fixed-step clock). The driver never ends the process: it
// returns how the show stands (show_status) and the application acts on it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct FSOUND_SAMPLE;
struct FSOUND_DSPUNIT;
class parts;

// The sound calls of the driver; each default goes to the FSOUND_* call of the
// same name. Each setter is true when the sound layer took it: false for a sample,
// unit or channel it does not hold, or a seek past the end of the music.
class sound_source {
public:
    virtual ~sound_source() = default;
    virtual bool init(int mix_rate, int channels, unsigned flags);
    virtual FSOUND_SAMPLE* load(const char* file_name, unsigned mode);
    virtual bool set_mode(FSOUND_SAMPLE* sample, unsigned mode);
    virtual FSOUND_DSPUNIT* fft_unit();
    virtual bool set_active(FSOUND_DSPUNIT* unit, bool active);
    virtual int play(int channel, FSOUND_SAMPLE* sample);
    virtual bool set_position(int channel, uint32_t position);
    virtual uint32_t position(int channel);
    virtual bool set_paused(int channel, bool paused);
    virtual int frequency(int channel);
    virtual uint32_t length(FSOUND_SAMPLE* sample);
    virtual const float* spectrum();
    virtual bool set_volume(int channel, int volume);
    virtual void close();
    // Why the last init or load failed; empty when it gave no reason.
    virtual std::string problem();
};

struct frame_driver_services {
    sound_source* sound = nullptr;
    std::function<int64_t()> counter;
    std::function<int64_t()> counter_frequency;
    std::function<void(int& x, int& y)> cursor;
    std::function<void()> swap_buffers;
    std::function<void()> hand_over_notes;
    // Builds the part for slot 0 (not yet initialised).
    std::function<parts*()> make_main_part;
};

// The services the driver uses now: empty until the application fills them in.
frame_driver_services& driver_services();
