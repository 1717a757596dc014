// ffmpeg's command lines for a recording: raw frames on standard input, the
// soundtrack's span as the second input, H.264 and AAC into an MP4.
#include "tools/capture/video_encoder.h"

#include <cstdio>

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

std::vector<std::string> ffmpeg_arguments(const video_settings& s) {
    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    const std::string rate = std::to_string(s.rate.num) + "/" + std::to_string(s.rate.den);
    std::vector<std::string> a = {
        s.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        // the frames: raw RGB on standard input, one per 1/rate
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i", "pipe:0"};
    if (s.with_sound) {
        const std::vector<std::string> music = music_input_arguments(s.music, s.from, s.duration);
        a.insert(a.end(), music.begin(), music.end());
        a.insert(a.end(), {"-map", "0:v:0", "-map", "1:a:0"});
    }
    const std::vector<std::string> video = video_codec_arguments(s.rate);
    a.insert(a.end(), video.begin(), video.end());
    if (s.with_sound) {
        const std::vector<std::string> sound = sound_codec_arguments();
        a.insert(a.end(), sound.begin(), sound.end());
    }
    if (!s.comment.empty()) a.insert(a.end(), {"-metadata", "comment=" + s.comment});
    // a stopped recording ends both streams with its last frame
    a.insert(a.end(), {"-shortest", "-movflags", "+faststart", s.out});
    return a;
}

std::vector<std::string> music_input_arguments(const std::string& music, double from, double duration) {
    // the music's span, decoded from its first second on
    return {"-ss", number(from), "-t", number(duration), "-i", music};
}

std::vector<std::string> video_codec_arguments(const frame_rate& rate) {
    // A frame's encoding depends on its own group of pictures only: a constant
    // quantiser (no rate control carrying a history from frame to frame, so no
    // macroblock tree either), keyframes on fixed frames and nowhere else, and
    // closed groups (no frame refers across a keyframe).
    const std::string interval = std::to_string(video_keyframe_interval(rate));
    return {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-qp", video_quantiser, "-x264-params",
            "keyint=" + interval + ":min-keyint=" + interval + ":scenecut=0:open-gop=0"};
}

std::vector<std::string> sound_codec_arguments() { return {"-c:a", "aac", "-b:a", "192k"}; }
