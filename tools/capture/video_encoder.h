// Streaming frames to ffmpeg: the encoder is started as a child process reading
// raw RGB frames on its standard input, with the soundtrack's span as its second
// input, and writes H.264 (libx264, yuv420p, constant quantiser 21, a keyframe
// every second) and AAC (192 kbit/s) into an MP4, or the H.264 stream alone. No
// frame touches the disk on the way.
#pragma once

#include "tools/capture/capture_options.h"
#include "tools/capture/png_image.h"

#include <cstdint>
#include <string>
#include <vector>

struct video_settings {
    std::string ffmpeg;  // the program's path
    std::string out;     // the MP4
    std::string music;   // the soundtrack
    int width = 0;
    int height = 0;
    frame_rate rate;
    double from = 0.0;      // the music's first second
    double duration = 0.0;  // seconds of music
    bool with_sound = true;  // false: the video stream alone (a slice)
    std::string comment{};   // the file's comment tag, when not empty
};

// The ffmpeg command line, program name first.
std::vector<std::string> ffmpeg_arguments(const video_settings& settings);

// ffmpeg's input of the soundtrack's span: `duration` seconds from `from` on.
std::vector<std::string> music_input_arguments(const std::string& music, double from, double duration);
// The x264 quantiser of every frame (I and B frames are offset from it).
constexpr const char* video_quantiser = "21";
// How every recording encodes its pictures at `rate`: a slice's frames come out
// as they do inside the whole recording.
std::vector<std::string> video_codec_arguments(const frame_rate& rate);
// How every recording encodes the soundtrack.
std::vector<std::string> sound_codec_arguments();

// Where ffmpeg comes from on this platform, for the message when it is missing.
extern const char* const ffmpeg_install_hint;

// The path of an executable `name` on PATH (or `name` itself when it holds a
// slash and is executable); empty when there is none.
std::string find_program(const std::string& name);

class video_encoder {
public:
    video_encoder() = default;
    ~video_encoder();
    video_encoder(const video_encoder&) = delete;
    video_encoder& operator=(const video_encoder&) = delete;

    // Starts ffmpeg; false (with the reason on stderr) when it cannot.
    bool start(const video_settings& settings);
    // Sends one frame (top row first, the started size); false when ffmpeg has
    // stopped taking frames.
    bool write(const rgb_image& frame);
    // Ends the input and waits for ffmpeg to finish the file; true when it did.
    bool finish();

private:
    int pipe_ = -1;       // the write end of ffmpeg's standard input
    intptr_t child_ = -1;  // ffmpeg's process id on Linux, its process handle on Windows
    size_t frame_bytes_ = 0;
};
