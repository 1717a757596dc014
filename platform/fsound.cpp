// The sound layer behind the FSOUND_* calls: samples decoded into memory, mixed on
// SDL's audio thread at the mix rate, and polled from the main thread. The audio
// thread and the callers share the channels and the output tap only under SDL's
// device lock. Without Init every call is harmless and reports nothing playing.
#include "platform/fsound.h"

#include "platform/file_report.h"

#include "platform/sound_decode.h"
#include "platform/sound_mixer.h"
#include "platform/sound_output.h"
#include "platform/spectrum_analysis.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr unsigned mode_loop_off = 1;
constexpr unsigned mode_loop_bidi = 4;
constexpr size_t tap_frames = 16384;  // recent mono output kept for the spectrum (power of two)

struct sound_system {
    SDL_AudioDeviceID device = 0;
    bool forced_silent = false;  // opened through the "dummy" driver after a failure
    bool paced_by_clock = false;  // a silent driver: playback follows the wall clock
    int rate = 44100;
    int buffer_frames = 0;
    int latency_frames = 0;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples;
    FSOUND_DSPUNIT fft_unit;
    spectrum_analyser analyser;
    std::array<float, spectrum_bins> spectrum{};

    // Shared with the audio thread; touched only under the device lock.
    std::vector<sound_channel> channels;
    std::vector<float> tap = std::vector<float>(tap_frames, 0.0f);
    std::vector<float> mono;       // scratch of the audio thread
    std::vector<int16_t> stereo;   // scratch of the audio thread (silent drivers)
    uint64_t output_frames = 0;    // frames mixed since the device started
    uint64_t origin_counter = 0;   // performance counter at the first mix
    uint64_t mark_counter = 0;     // performance counter when the last mix began
    output_mark mark;
    bool mixed_once = false;
};

sound_system* sound = nullptr;  // null while the layer is closed
std::string last_problem;       // why the last Init or Sample_Load failed
std::array<float, spectrum_bins> silent_spectrum{};
std::atomic<bool> output_muted = false;

class device_lock {
public:
    explicit device_lock(const sound_system& system) : device_(system.device) { SDL_LockAudioDevice(device_); }
    ~device_lock() { SDL_UnlockAudioDevice(device_); }
    device_lock(const device_lock&) = delete;
    device_lock& operator=(const device_lock&) = delete;

private:
    SDL_AudioDeviceID device_;
};

double counter_seconds(uint64_t counts) { return double(counts) / double(SDL_GetPerformanceFrequency()); }

// Mixes frames into out and into the tap, in pieces the size of the mono scratch.
void mix_into(sound_system& system, int16_t* out, int64_t frames) {
    while (frames > 0) {
        const int count = int(std::min<int64_t>(frames, int64_t(system.mono.size())));
        mix_channels(system.channels, count, out, system.mono.data());
        for (int i = 0; i < count; ++i)
            system.tap[(system.output_frames + uint64_t(i)) & (tap_frames - 1)] = system.mono[size_t(i)];
        system.output_frames += uint64_t(count);
        out += 2 * count;
        frames -= count;
    }
}

// A real device: the buffer is heard after the latency, right after the last one.
void mix_for_device(sound_system& system, int16_t* out, int frames) {
    system.mark.heard_start = double(system.output_frames) - system.latency_frames;
    mix_into(system, out, frames);
    system.mark.heard_end = double(system.output_frames) - system.latency_frames;
}

// A silent driver sleeps between buffers and oversleeps under load, so its pace
// cannot be trusted. The listener is taken to be at the wall-clock position since
// the first mix; each call mixes what has become due plus one buffer ahead, and the
// driver receives the newest buffer's worth of it.
void mix_by_clock(sound_system& system, int16_t* out, int frames) {
    if (!system.mixed_once) system.origin_counter = system.mark_counter;
    const double heard = counter_seconds(system.mark_counter - system.origin_counter) * system.rate;
    const int64_t due = std::llround(heard) + frames - int64_t(system.output_frames);
    const int64_t count = std::max<int64_t>(due, 0);
    system.stereo.resize(size_t(2 * std::max<int64_t>(count, frames)));
    std::fill(system.stereo.begin(), system.stereo.end(), int16_t(0));
    system.mark.heard_start = heard;
    mix_into(system, system.stereo.data(), count);
    // The listener keeps to the wall clock even when this thread is late: the next
    // call catches the mix up to it.
    system.mark.heard_end = std::numeric_limits<double>::infinity();
    const size_t tail = size_t(2 * std::min<int64_t>(count, frames));
    std::memset(out, 0, size_t(frames) * 2 * sizeof(int16_t));
    std::memcpy(out + (2 * size_t(frames) - tail), system.stereo.data() + (2 * size_t(count) - tail),
                tail * sizeof(int16_t));
}

// SDL's audio thread, called with the device lock held.
void audio_callback(void* user, Uint8* stream, int bytes) {
    sound_system& system = *static_cast<sound_system*>(user);
    const int frames = bytes / int(2 * sizeof(int16_t));
    system.mark_counter = SDL_GetPerformanceCounter();
    system.mark.mixed_start = system.output_frames;
    mark_channels(system.channels);
    if (system.paced_by_clock)
        mix_by_clock(system, reinterpret_cast<int16_t*>(stream), frames);
    else
        mix_for_device(system, reinterpret_cast<int16_t*>(stream), frames);
    if (output_muted) std::memset(stream, 0, size_t(bytes));
    system.mixed_once = true;
}

// Output frames between the start of the last mixed buffer and what is heard now.
double current_offset(const sound_system& system) {
    if (!system.mixed_once) return 0.0;
    return heard_offset(system.mark, counter_seconds(SDL_GetPerformanceCounter() - system.mark_counter),
                        system.rate);
}

// The silent drivers sleep between buffers. The disk driver does not when
// SDL_DISKAUDIODELAY is 0: it then takes buffers as fast as they are mixed, as a
// device pulls them, and is mixed as a device is.
bool paced_by_sleep(const char* driver) {
    if (driver == nullptr) return false;
    if (std::strcmp(driver, "dummy") == 0) return true;
    if (std::strcmp(driver, "disk") != 0) return false;
    const char* delay = SDL_getenv("SDL_DISKAUDIODELAY");
    return delay == nullptr || std::strcmp(delay, "0") != 0;
}

// Real devices take a 1024-frame buffer and are heard one buffer late: SDL hands
// each buffer over while the previous one plays.
bool open_output(sound_system& system) {
    system.paced_by_clock = paced_by_sleep(SDL_GetCurrentAudioDriver());
    SDL_AudioSpec wanted{};
    wanted.freq = system.rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = audio_callback;
    wanted.userdata = &system;
    SDL_AudioSpec obtained{};
    system.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (system.device == 0) return false;
    system.buffer_frames = obtained.samples;
    system.latency_frames = system.paced_by_clock ? 0 : obtained.samples;
    system.mono.assign(size_t(std::max<int>(obtained.samples, 256)), 0.0f);
    system.stereo.reserve(size_t(8 * obtained.samples));
    return true;
}

bool open_device(sound_system& system) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        if (open_output(system)) return true;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    std::fprintf(stderr, "%s: sound: no audio device (%s); playing through the silent output\n", program_name(),
                 SDL_GetError());
    if (SDL_AudioInit("dummy") != 0) {
        last_problem = std::string("no silent output either: ") + SDL_GetError();
        return false;
    }
    system.forced_silent = true;
    if (open_output(system)) return true;
    last_problem = std::string("no silent output either: ") + SDL_GetError();
    SDL_AudioQuit();
    return false;
}

sound_channel* channel_at(int channel) {
    if (sound == nullptr || channel < 0 || channel >= int(sound->channels.size())) return nullptr;
    return &sound->channels[size_t(channel)];
}

int free_channel() {
    for (size_t i = 0; i < sound->channels.size(); ++i)
        if (!sound->channels[i].playing) return int(i);
    return -1;
}

bool owns_sample(const FSOUND_SAMPLE* sample) {
    if (sound == nullptr || sample == nullptr) return false;
    return std::any_of(sound->samples.begin(), sound->samples.end(),
                       [sample](const auto& owned) { return owned.get() == sample; });
}

bool loop_mode(unsigned mode) { return (mode & (FSOUND_LOOP_NORMAL | mode_loop_bidi)) != 0 && !(mode & mode_loop_off); }

// Copies the 1024 mono output frames that end at the one being heard now.
bool heard_output(const sound_system& system, std::array<float, spectrum_fft_size>& window) {
    if (!system.mixed_once) return false;
    const double heard = double(system.mark.mixed_start) + current_offset(system);
    const int64_t end = std::clamp<int64_t>(int64_t(heard), 0, int64_t(system.output_frames));
    for (int i = 0; i < spectrum_fft_size; ++i) {
        const int64_t frame = end - spectrum_fft_size + i;
        window[size_t(i)] = frame < 0 ? 0.0f : system.tap[uint64_t(frame) & (tap_frames - 1)];
    }
    return true;
}

// The first channel held by a pause, or null.
const sound_channel* held_channel(const sound_system& system) {
    for (const sound_channel& channel : system.channels)
        if (channel.playing && channel.paused) return &channel;
    return nullptr;
}

}  // namespace

signed char FSOUND_Init(int mix_rate, int max_software_channels, unsigned int) {
    FSOUND_Close();
    last_problem.clear();
    auto system = std::make_unique<sound_system>();
    system->rate = mix_rate > 0 ? mix_rate : 44100;
    system->channels.resize(size_t(std::max(max_software_channels, 1)));
    if (!open_device(*system)) return 0;
    sound = system.release();
    SDL_PauseAudioDevice(sound->device, 0);
    return 1;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char* file_name, unsigned int mode, int, int) {
    last_problem.clear();
    if (sound == nullptr || file_name == nullptr) {
        last_problem = "the sound layer is not open";
        return nullptr;
    }
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    last_problem = load_music_file(file_name, sample->sound).reason;
    if (!last_problem.empty()) return nullptr;
    sample->loop = loop_mode(mode);
    sound->samples.push_back(std::move(sample));
    return sound->samples.back().get();
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned int mode) {
    if (!owns_sample(sample)) return 0;
    device_lock lock(*sound);
    sample->loop = loop_mode(mode);
    return 1;
}

FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit() { return sound ? &sound->fft_unit : nullptr; }

signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active) {
    if (sound == nullptr || unit != &sound->fft_unit) return 0;
    unit->active = active != 0;
    return 1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    if (!owns_sample(sample)) return -1;
    device_lock lock(*sound);
    const int index = channel == FSOUND_FREE ? free_channel() : channel;
    sound_channel* target = channel_at(index);
    if (target == nullptr) return -1;
    start_channel(*target, *sample, sound->rate);
    return index;
}

signed char FSOUND_SetCurrentPosition(int channel, unsigned int position) {
    sound_channel* target = channel_at(channel);
    if (target == nullptr) return 0;
    device_lock lock(*sound);
    return seek_channel(*target, position) ? 1 : 0;
}

signed char FSOUND_SetPaused(int channel, signed char paused) {
    sound_channel* target = channel_at(channel);
    if (target == nullptr || target->sample == nullptr) return 0;
    device_lock lock(*sound);
    if (paused && !target->paused)
        pause_channel(*target, heard_position(*target, current_offset(*sound)));
    else if (!paused)
        resume_channel(*target);
    return 1;
}

signed char FSOUND_GetPaused(int channel) {
    const sound_channel* target = channel_at(channel);
    if (target == nullptr) return 0;
    device_lock lock(*sound);
    return target->paused ? 1 : 0;
}

unsigned int FSOUND_GetCurrentPosition(int channel) {
    const sound_channel* target = channel_at(channel);
    if (target == nullptr) return 0;
    device_lock lock(*sound);
    return unsigned(heard_position(*target, current_offset(*sound)));
}

int FSOUND_GetFrequency(int channel) {
    const sound_channel* target = channel_at(channel);
    if (target == nullptr) return 0;
    device_lock lock(*sound);
    return target->frequency;
}

unsigned int FSOUND_Sample_GetLength(FSOUND_SAMPLE* sample) {
    return owns_sample(sample) ? sample_length(*sample) : 0;
}

float* FSOUND_DSP_GetSpectrum() {
    silent_spectrum.fill(0.0f);  // a caller may have written into the last one returned
    if (sound == nullptr || !sound->fft_unit.active) return silent_spectrum.data();
    std::array<float, spectrum_fft_size> window{};
    bool heard = false;
    {
        device_lock lock(*sound);
        if (const sound_channel* held = held_channel(*sound)) {
            held_window(*held, window.data(), spectrum_fft_size);
            heard = true;
        } else {
            heard = heard_output(*sound, window);
        }
    }
    if (!heard) return silent_spectrum.data();
    sound->analyser.compute(window, sound->spectrum);
    return sound->spectrum.data();
}

signed char FSOUND_SetVolume(int channel, int volume) {
    if (sound == nullptr) return 0;
    const int level = std::clamp(volume, 0, 255);
    device_lock lock(*sound);
    if (channel == FSOUND_ALL) {
        for (sound_channel& each : sound->channels) each.volume = level;
        return 1;
    }
    sound_channel* target = channel_at(channel);
    if (target == nullptr) return 0;
    target->volume = level;
    return 1;
}

void FSOUND_Close() {
    if (sound == nullptr) return;
    SDL_CloseAudioDevice(sound->device);  // stops and joins the audio thread
    if (sound->forced_silent)
        SDL_AudioQuit();
    else
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    delete sound;
    sound = nullptr;
}

bool describe_sound_output(sound_output_report& report) {
    if (sound == nullptr) return false;
    const char* driver = SDL_GetCurrentAudioDriver();
    report.driver = driver ? driver : "";
    report.rate = sound->rate;
    report.buffer_frames = sound->buffer_frames;
    report.latency_frames = sound->latency_frames;
    report.paced_by_clock = sound->paced_by_clock;
    return true;
}

void set_output_muted(bool muted) { output_muted = muted; }

std::string fsound_last_problem() { return last_problem; }
