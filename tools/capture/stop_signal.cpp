// The stop request set by SIGINT, SIGTERM and SIGHUP.
#include "tools/capture/stop_signal.h"

#include <SDL2/SDL.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;  // the first stop signal's number

void request_stop(int signal) {
    if (requested == 0) requested = signal;
}

}  // namespace

void catch_stop_signals() {
    // SDL would otherwise turn the signals into a quit event nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = request_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal stops the run as Ctrl-C does, keeping what was made.
    sigaction(SIGHUP, &action, nullptr);
}

bool stop_requested() { return requested != 0; }

int stop_exit_code() { return requested != 0 ? 128 + requested : 0; }
