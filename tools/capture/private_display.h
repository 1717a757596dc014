// A private X server for the capture tool: when no display is named, an Xvfb is
// started on a free display number (Xvfb picks it and reports it through a pipe)
// and DISPLAY is pointed at it for the rest of the process.
#pragma once

#include <sys/types.h>

class private_display {
public:
    private_display() = default;
    ~private_display();  // stops the server it started
    private_display(const private_display&) = delete;
    private_display& operator=(const private_display&) = delete;

    // Nothing to do when DISPLAY is set. Otherwise starts Xvfb with a screen of at
    // least width x height; false (with the reason on stderr) when it cannot.
    bool ensure(int width, int height);

private:
    pid_t server_ = -1;
};
