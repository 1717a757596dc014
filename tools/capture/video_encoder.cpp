// The ffmpeg child process and the pipe that feeds it.
#include "tools/capture/video_encoder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

bool executable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
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
    a.insert(a.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf", "18"});
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

std::vector<std::string> sound_codec_arguments() { return {"-c:a", "aac", "-b:a", "192k"}; }

std::string find_program(const std::string& name) {
    if (name.find('/') != std::string::npos) return executable(name) ? name : "";
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (executable(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

video_encoder::~video_encoder() {
    if (child_ > 0) finish();
}

bool video_encoder::start(const video_settings& settings) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("velmoria-capture: pipe");
        return false;
    }
    const std::vector<std::string> arguments = ffmpeg_arguments(settings);
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    child_ = fork();
    if (child_ < 0) {
        std::perror("velmoria-capture: fork");
        close(fds[0]), close(fds[1]);
        return false;
    }
    if (child_ == 0) {
        // Its own process group: a Ctrl-C reaches the tool only, which then ends
        // the input so that ffmpeg closes the file properly.
        setpgid(0, 0);
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]), close(fds[1]);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "velmoria-capture: cannot run %s\n", argv[0]);
        _exit(127);
    }
    close(fds[0]);
    pipe_ = fds[1];
    frame_bytes_ = static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height) * 3;
    std::signal(SIGPIPE, SIG_IGN);  // a stopped ffmpeg shows as a failed write
    return true;
}

bool video_encoder::write(const rgb_image& frame) {
    if (pipe_ < 0 || frame.pixels.size() != frame_bytes_) return false;
    const uint8_t* data = frame.pixels.data();
    size_t left = frame_bytes_;
    while (left > 0) {
        const ssize_t n = ::write(pipe_, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool video_encoder::finish() {
    if (pipe_ >= 0) close(pipe_);
    pipe_ = -1;
    if (child_ <= 0) return false;
    int status = 0;
    while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    child_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
