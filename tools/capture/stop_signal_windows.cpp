// The stop request on Windows: Ctrl-C, Ctrl-Break and closing the console window
// reach the console control handler instead of ending the process at once.
#include "tools/capture/stop_signal.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> requested = false;

BOOL WINAPI request_stop(DWORD) {
    requested = true;
    return TRUE;
}

}  // namespace

void catch_stop_signals() { SetConsoleCtrlHandler(request_stop, TRUE); }

bool stop_requested() { return requested; }

// A console stop is Ctrl-C's: the exit code a POSIX shell gives SIGINT.
int stop_exit_code() { return requested ? 130 : 0; }
