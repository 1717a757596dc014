// The stop request set by SIGINT and SIGTERM.
#include "tools/capture/stop_signal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

void request_stop(int) { requested = 1; }

}  // namespace

void catch_stop_signals() {
    struct sigaction action {};
    action.sa_handler = request_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stop_requested() { return requested != 0; }
