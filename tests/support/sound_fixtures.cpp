// Makes the sound tests' MP3 files with sox (a sine as WAV) and lame (the MP3).
#include "tests/support/sound_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Made on first use, removed with everything in it when the process ends.
struct scratch {
    std::string path;
    scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmoria-sound-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~scratch() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string scratch_folder() {
    static const scratch folder;
    return folder.path;
}

std::string make_sine_mp3(const std::string& name, double frequency, double seconds, int rate, int channels) {
    const std::string wav = scratch_folder() + "/" + name + ".wav";
    const std::string mp3 = scratch_folder() + "/" + name;
    if (std::filesystem::exists(mp3)) return mp3;
    char synth[96];
    if (frequency > 0.0)
        std::snprintf(synth, sizeof synth, "synth %.3f sine %.1f vol 0.5", seconds, frequency);
    else
        std::snprintf(synth, sizeof synth, "trim 0 %.3f", seconds);
    const std::string command = "sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                                " -b 16 '" + wav + "' " + synth + " && lame --quiet -b 192 '" + wav + "' '" +
                                mp3 + "'";
    if (std::system(command.c_str()) != 0) return {};
    std::filesystem::remove(wav);
    return mp3;
}

void enter_show_folder(const std::string& mp3) {
    const std::filesystem::path folder = std::filesystem::path(scratch_folder()) / "show";
    std::filesystem::create_directories(folder / "music");
    std::filesystem::copy_file(mp3, folder / "music" / "Tolvek - Velmoria.mp3",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::current_path(folder);
}

void use_audio_driver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }
