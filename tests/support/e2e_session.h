// End-to-end test helpers: the real executable as a child process with its output
// in files, an X server of the test's own with extra RandR modes, windows found by
// title (and owner) through xwininfo, polled waits, and keys sent with xdotool.
// Every wait polls against a deadline, so a loaded machine only makes tests slower.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

namespace e2e {

using namespace std::chrono_literals;
using seconds = std::chrono::seconds;

// The titles of the setup dialog and of the show's window.
inline const std::string dialog_title = "          Velmoria KRV - 2010 ";
inline const std::string show_title = " =   Velmoria - KRV 2010 = ";

// Environment changes for a child: name and value; an empty value unsets the name.
using environment = std::vector<std::pair<std::string, std::string>>;

// The standard output of `command` run by the shell.
std::string run_command(const std::string& command);
// The exit status of `command` run by the shell; -1 when a signal ended it.
int run_status(const std::string& command);

// Polls `condition` every `step` until it holds (true) or `limit` has passed (false).
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit,
                std::chrono::milliseconds step = 100ms);

// A program run as a child process in `folder` with `args`, its standard output and
// error kept in files of a temporary folder of its own. The destructor kills it if
// it still runs.
class child_process {
public:
    child_process(const std::string& program, const std::string& folder, const environment& changes,
                  const std::vector<std::string>& args = {});
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    // True once the process has ended; exit_code() then tells how.
    bool ended();
    bool wait_for_end(seconds limit);
    pid_t pid() const { return pid_; }
    // The exit status, or -1000 minus the signal that ended it.
    int exit_code() const;
    std::string standard_output() const;
    std::string standard_error() const;
    // Both outputs, labelled, for failure messages.
    std::string output() const;

private:
    std::string file(const char* name) const { return files_ + "/" + name; }

    std::string files_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool finished_ = false;
};

// The show's executable started from data/ with SDL's silent audio driver, on the
// display DISPLAY names, with `changes` on top and the command line `args`.
class show_process : public child_process {
public:
    explicit show_process(const environment& changes = {}, const std::vector<std::string>& args = {});
};

// GTK and SDL both on the X server DISPLAY names, whatever desktop the tests run
// from, with `extra` on top.
environment on_x_server(const environment& extra = {});

// Xvfb (1920 x 1080) on a free display number of its own, which DISPLAY names while
// the object lives. The connection held here keeps added modes alive (RandR drops a
// client's modes when it disconnects).
class private_x_server {
public:
    private_x_server();
    ~private_x_server();
    private_x_server(const private_x_server&) = delete;
    private_x_server& operator=(const private_x_server&) = delete;

    bool running() const { return display_ != nullptr; }
    const std::string& name() const { return name_; }

    void add_mode(unsigned width, unsigned height);
    // 1680 x 1050, 1280 x 720, 1024 x 768 and 768 x 1024 next to the 1920 x 1080 the
    // server starts with, so the setup dialog has a 1280 x 720 entry to preselect.
    void add_test_modes();
    // What a window manager sends when the close box of `window` is clicked.
    void request_close(const std::string& window);

private:
    void start_on(int number);

    pid_t pid_ = -1;
    std::string name_;
    std::string previous_display_;
    bool had_display_ = false;
    _XDisplay* display_ = nullptr;
};

// The id of a window titled exactly `title`, owned by process `owner` when that is
// not 0; empty while there is none.
std::string find_window(const std::string& title, pid_t owner = 0);

// What xwininfo says about window `id`.
std::string window_info(const std::string& id);

struct window_size {
    int width = 0;
    int height = 0;
};
// The client size in an xwininfo report; zeros when it has none.
window_size client_size(const std::string& info);

// The id of a mapped, viewable window titled `title` of process `owner`; empty
// while there is none.
std::string viewable_window(const std::string& title, pid_t owner);

// Polls for a mapped, viewable window titled `title` of `process` while it runs;
// its id, or empty if the process ended or `limit` passed first.
std::string wait_for_window(child_process& process, const std::string& title, seconds limit);

// Focuses `window` and types `keys` (xdotool key names, space separated), trying
// again when xdotool fails before typing (Xvfb now and then drops a connection
// that opens while another one closes); whether it succeeded. xdotool stays
// connected for `hold` after the keys, so that its disconnect does not meet the
// connections the show opens in answer to them.
bool press_keys(const std::string& window, const std::string& keys, seconds hold = 3s);

// Taps Escape in `window` until `process` ends or `limit` passes; whether it ended.
// A tap is repeated every few seconds: while the show still loads, its window may
// not take the key yet.
bool end_with_escape(child_process& process, const std::string& window, seconds limit);

// True when the show's standard error says it could not open a display
// connection while it started (no mode list, no dialog, or no window).
bool lost_display(const child_process& show);

// The show started on the X server and its setup dialog's window id, once that is
// on screen. Xvfb now and then drops a connection opened while another closes, and
// the show opens connections back to back at start-up; a start that reports a lost
// connection before its dialog appears is made again, up to three starts in all.
// The dialog id is empty when no start brought the dialog up within `limit`.
struct started_show {
    std::unique_ptr<show_process> show;
    std::string dialog;
};
started_show start_show_at_dialog(const environment& changes, seconds limit);

}  // namespace e2e
