// Starting the slice jobs, following their progress, stopping them, joining.
#include "tools/capture/parallel_recording.h"

#include "tools/capture/progress_bar.h"
#include "tools/capture/safe_output.h"
#include "tools/capture/stop_signal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int progress_fd_in_job = 3;

struct job {
    slice_id slice;
    std::string file;
    pid_t pid = -1;
    int progress = -1;  // read end of the job's progress pipe
    long frames = 0;
    int exit_code = -1;
};

std::string number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::vector<std::string> job_arguments(const capture_options& o, const job& j) {
    return {"velmoria-capture", "--slice", std::to_string(j.slice.index) + "/" + std::to_string(j.slice.count),
            "--video-only", "--video", j.file, "--size", std::to_string(o.width) + "x" + std::to_string(o.height),
            "--fps", std::to_string(o.rate.num) + "/" + std::to_string(o.rate.den), "--from", number(o.from), "--to",
            number(o.to), "--progress-fd", std::to_string(progress_fd_in_job)};
}

// In the job, before exec: its own process group (a Ctrl-C reaches the parent,
// which ends the jobs in order), an end when the parent dies, its own X server.
void become_job(pid_t parent, int progress) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    unsetenv("DISPLAY");
    const int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, STDIN_FILENO);
    dup2(nothing, STDOUT_FILENO);
    if (progress == progress_fd_in_job) fcntl(progress, F_SETFD, 0);
    else dup2(progress, progress_fd_in_job);
}

bool start_job(const capture_options& o, const std::string& program, job& j) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    const std::vector<std::string> arguments = job_arguments(o, j);
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    j.pid = fork();
    if (j.pid == 0) {
        become_job(parent, fds[1]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (j.pid < 0) {
        close(fds[0]);
        return false;
    }
    j.progress = fds[0];
    return true;
}

void stop_jobs(std::vector<job>& jobs) {
    for (const job& j : jobs)
        if (j.pid > 0 && j.exit_code < 0) kill(j.pid, SIGTERM);
}

// Counts the progress bytes that arrived, and reaps the jobs that ended.
void follow_jobs(std::vector<job>& jobs) {
    std::vector<pollfd> polls;
    for (const job& j : jobs)
        if (j.progress >= 0) polls.push_back({j.progress, POLLIN, 0});
    poll(polls.data(), polls.size(), 200);
    for (job& j : jobs) {
        char bytes[256];
        ssize_t n = 0;
        while (j.progress >= 0 && (n = read(j.progress, bytes, sizeof bytes)) > 0) j.frames += n;
        if (n == 0 && j.progress >= 0) close(j.progress), j.progress = -1;
        int status = 0;
        if (j.pid > 0 && j.exit_code < 0 && waitpid(j.pid, &status, WNOHANG) == j.pid)
            j.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
}

bool all_ended(const std::vector<job>& jobs) {
    return std::all_of(jobs.begin(), jobs.end(), [](const job& j) { return j.pid <= 0 || j.exit_code >= 0; });
}

const job* failed_job(const std::vector<job>& jobs) {
    for (const job& j : jobs)
        if (j.pid <= 0 || j.exit_code > 0) return &j;
    return nullptr;
}

long frames_done(const std::vector<job>& jobs) {
    long done = 0;
    for (const job& j : jobs) done += j.frames;
    return done;
}

// Runs the jobs to their end, or ends them all when one fails or a stop is
// requested; the exit code of the whole.
int run_jobs(const capture_options& o, std::vector<job>& jobs) {
    const long total = video_frame_count(o);
    std::string program = fs::read_symlink("/proc/self/exe").string();
    progress_printer progress(total);
    bool stopping = false;
    long shown = 0;
    for (job& j : jobs)
        if (!stop_requested() && !start_job(o, program, j)) break;
    while (!all_ended(jobs)) {
        follow_jobs(jobs);
        if (!stopping && (stop_requested() || failed_job(jobs))) {
            stopping = true;
            stop_jobs(jobs);
        }
        if (!stopping && frames_done(jobs) > shown) progress.show(shown = frames_done(jobs));
    }
    for (job& j : jobs)
        if (j.progress >= 0) close(j.progress);
    if (stop_requested()) {
        progress.show(frames_done(jobs), true);
        return stop_exit_code();
    }
    if (const job* j = failed_job(jobs)) {
        std::fprintf(stderr, "velmoria-capture: the job recording slice %d/%d %s\n", j->slice.index, j->slice.count,
                     j->pid <= 0 ? "could not be started" : ("failed (exit code " + std::to_string(j->exit_code) + ")").c_str());
        return 1;
    }
    progress.show(total, true);
    return 0;
}

// A new folder beside `out` for the slices; empty when none could be made.
std::string slice_folder(const fs::path& out) {
    remove_leftovers(out.parent_path().string());
    const std::string stem = "." + out.filename().string() + ".slices-" + writer_mark() + "-XXXXXX";
    std::string pattern = (out.parent_path() / stem).string();
    return mkdtemp(pattern.data()) ? pattern : "";
}

}  // namespace

int record_in_parallel(const capture_options& o, join_request join) {
    const long total = video_frame_count(o);
    const int count = int(std::min<long>(o.jobs, video_keyframe_count(o)));  // no job without a keyframe
    const fs::path out = join.out;
    const std::string folder = slice_folder(out);
    if (folder.empty()) {
        std::fprintf(stderr, "velmoria-capture: cannot make a folder for the slices beside %s\n", out.c_str());
        return 1;
    }
    std::vector<job> jobs(size_t(count), job{});
    for (int k = 1; k <= count; ++k) {
        job& j = jobs[size_t(k - 1)];
        j.slice = {k, count};
        j.file = folder + "/slice." + std::to_string(k) + ".mp4";
        join.slices.push_back(j.file);
    }
    int code = run_jobs(o, jobs);
    if (code == 0) code = join_slices(join);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (stop_requested()) std::fprintf(stderr, "velmoria-capture: stopped; %s was not written\n", out.c_str());
    if (code == 0)
        std::printf("%s: %ld frames, %.3f s of the show from %.3f s, in %d jobs\n", out.c_str(), total,
                    double(total) * o.rate.step(), o.from, count);
    return code;
}
