// fork, exec and wait for a helper program, reading its output through a pipe.
#include "tools/capture/child_process.h"

#include "tools/capture/stop_signal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

int run_program(const std::vector<std::string>& arguments, std::string* output) {
    if (arguments.empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2] = {-1, -1};
    if (output && pipe2(fds, O_CLOEXEC) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        if (output) dup2(fds[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "velmoria-capture: cannot run %s\n", argv[0]);
        _exit(127);
    }
    if (output) {
        close(fds[1]);
        char buffer[4096];
        ssize_t n = 0;
        while (child > 0 && ((n = read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
            if (n > 0) output->append(buffer, size_t(n));
        close(fds[0]);
    }
    if (child < 0) return -1;
    int status = 0;
    bool stopped = false;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
        // A stop of the tool ends the helper too: nothing it makes is wanted now.
        if (stop_requested() && !stopped) stopped = kill(child, SIGTERM) == 0;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void keep_from_children(int descriptor) { fcntl(descriptor, F_SETFD, FD_CLOEXEC); }

bool process_running(long pid) { return pid > 0 && (kill(pid_t(pid), 0) == 0 || errno == EPERM); }

std::string machine_name() {
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? name : "";
}
