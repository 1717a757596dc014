// The ffmpeg child process and the pipe that feeds it (fork, exec and a pipe).
#include "tools/capture/video_encoder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool executable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

const char* const ffmpeg_install_hint = "Debian package ffmpeg";

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
