// Starting and stopping the capture tool's own Xvfb.
#include "tools/capture/private_display.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t running_server = -1;  // the server to stop at exit, whatever the way out

void stop_server() {
    if (running_server <= 0) return;
    kill(running_server, SIGTERM);
    while (waitpid(running_server, nullptr, 0) < 0 && errno == EINTR) {
    }
    running_server = -1;
}

// Reads the display number Xvfb writes once it accepts connections.
bool read_display_number(int fd, std::string& number) {
    char c = 0;
    for (;;) {
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n != 1) return false;
        if (c == '\n') return !number.empty();
        number += c;
    }
}

}  // namespace

bool private_display::ensure(int width, int height) {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') return true;
    int ready[2];
    if (pipe(ready) != 0) return false;
    const std::string screen =
        std::to_string(std::max(width, 640)) + "x" + std::to_string(std::max(height, 480)) + "x24";
    const std::string fd = std::to_string(ready[1]);
    server_ = fork();
    if (server_ == 0) {
        // Its own process group, so that a Ctrl-C meant for the tool leaves the
        // server running while the tool finishes what it was writing; and it
        // ends with the tool even when the tool is killed outright.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        std::freopen("/dev/null", "w", stderr);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    if (server_ > 0) {
        // A run that ends without going back through its owner (a library that
        // ends the process itself, say) still takes its server along.
        static const bool registered = std::atexit(stop_server) == 0;
        (void)registered;
        running_server = server_;
    }
    std::string number;
    const bool started = server_ > 0 && read_display_number(ready[0], number);
    close(ready[0]);
    if (!started) {
        std::fprintf(stderr, "velmoria-capture: no display, and Xvfb could not be started\n");
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

private_display::~private_display() {
    if (server_ > 0 && server_ == running_server) stop_server();
}
