// The setup dialog end to end: the real executable on an X server of the test's
// own, found by the dialog's title and driven with xdotool. The server's one mode
// (1920 x 1080) is joined by a few more through RandR for the test's duration,
// so the list holds a 1280 x 720 entry to preselect.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using steady = std::chrono::steady_clock;

const std::string dialog_title_pattern = "^ *Velmoria KRV - 2010 *$";
const std::string show_title = " =   Velmoria - KRV 2010 = ";

std::string run_command(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

std::string first_line(std::string text) {
    text = text.substr(0, text.find('\n'));
    return text;
}

// Xvfb on a free display number of its own; the connection held here keeps the
// added modes alive (RandR drops a client's modes when it disconnects). A number
// counts as ours only once its lock file names our server's process, so tests
// starting servers at the same moment never share one.
class private_x_server {
public:
    private_x_server() {
        for (int attempt = 0; attempt < 60 && !display_; ++attempt) {
            int number = 300 + int((getpid() * 7 + attempt * 13) % 600);
            if (access(lock_file(number).c_str(), F_OK) != 0) start_on(number);
        }
        if (display_) setenv("DISPLAY", name_.c_str(), 1);
    }
    ~private_x_server() {
        if (display_) XCloseDisplay(display_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool running() const { return display_ != nullptr; }

    void add_mode(unsigned width, unsigned height) {
        Window root = DefaultRootWindow(display_);
        XRRScreenResources* resources = XRRGetScreenResources(display_, root);
        std::string name = std::to_string(width) + "x" + std::to_string(height);
        XRRModeInfo mode{};
        mode.width = width;
        mode.height = height;
        mode.hSyncStart = width + 48;
        mode.hSyncEnd = width + 80;
        mode.hTotal = width + 160;
        mode.vSyncStart = height + 3;
        mode.vSyncEnd = height + 8;
        mode.vTotal = height + 30;
        mode.dotClock = 60ul * mode.hTotal * mode.vTotal;
        mode.name = name.data();
        mode.nameLength = unsigned(name.size());
        RRMode id = XRRCreateMode(display_, root, &mode);
        XRRAddOutputMode(display_, resources->outputs[0], id);
        XRRFreeScreenResources(resources);
        XSync(display_, False);
    }

    // What a window manager sends when the close box is clicked.
    void request_close(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window, False, NoEventMask, &event);
        XFlush(display_);
    }

private:
    static std::string lock_file(int number) { return "/tmp/.X" + std::to_string(number) + "-lock"; }

    static pid_t lock_owner(int number) {
        FILE* lock = std::fopen(lock_file(number).c_str(), "r");
        int owner = -1;
        if (lock) {
            if (std::fscanf(lock, "%d", &owner) != 1) owner = -1;
            std::fclose(lock);
        }
        return owner;
    }

    void start_on(int number) {
        std::string name = ":" + std::to_string(number);
        pid_t server = fork();
        if (server == 0) {
            int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (auto deadline = steady::now() + 15s; steady::now() < deadline;) {
            if (waitpid(server, nullptr, WNOHANG) == server) return;  // the number was taken
            if (lock_owner(number) == server && (display_ = XOpenDisplay(name.c_str()))) {
                pid_ = server;
                name_ = name;
                return;
            }
            std::this_thread::sleep_for(50ms);
        }
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }

    pid_t pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
};

// The show, started from data/ with its output kept in a file.
class show_process {
public:
    show_process() {
        char pattern[] = "/tmp/velmoria_dialog_XXXXXX";
        if (mkdtemp(pattern)) folder_ = pattern;
        pid_ = fork();
        if (pid_ == 0) {
            int out = open((folder_ + "/output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(out, 2);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (chdir(VELMORIA_SOURCE_DIR "/data") != 0) _exit(126);
            execl(VELMORIA_BINARY_DIR "/velmoria", "velmoria", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~show_process() {
        if (pid_ > 0 && !finished_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::remove((folder_ + "/output").c_str());
        rmdir(folder_.c_str());
    }
    bool ended() {
        if (!finished_ && waitpid(pid_, &status_, WNOHANG) == pid_) finished_ = true;
        return finished_;
    }
    int exit_code() const { return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1000 - WTERMSIG(status_); }
    std::string output() const { return run_command("cat '" + folder_ + "/output'"); }

private:
    std::string folder_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool finished_ = false;
};

std::string find_window(const std::string& title_pattern) {
    return first_line(run_command("xdotool search --name '" + title_pattern + "' 2>/dev/null"));
}

// Polls for the dialog while the show runs; empty when it never appears.
std::string wait_for_dialog(show_process& show) {
    for (auto deadline = steady::now() + 60s; steady::now() < deadline && !show.ended();) {
        std::string id = find_window(dialog_title_pattern);
        if (!id.empty()) return id;
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

void press(const std::string& window, const std::string& keys) {
    run_command("xdotool windowfocus --sync " + window + " key --delay 60 " + keys + " >/dev/null 2>&1");
}

struct window_size {
    int width = 0;
    int height = 0;
};

// The show window's client size once it is mapped; zeros if it never is.
window_size wait_for_show_window(show_process& show) {
    for (auto deadline = steady::now() + 180s; steady::now() < deadline && !show.ended();) {
        std::string info = run_command("xwininfo -name '" + show_title + "' 2>/dev/null");
        if (info.find("Map State: IsViewable") != std::string::npos) {
            window_size size;
            std::sscanf(info.c_str() + info.find("Width:"), "Width: %d", &size.width);
            std::sscanf(info.c_str() + info.find("Height:"), "Height: %d", &size.height);
            return size;
        }
        std::this_thread::sleep_for(200ms);
    }
    return {};
}

// The show window's id as xwininfo gives it (xdotool cannot read the UTF-8 title
// SDL sets), empty while there is none.
std::string show_window_id() {
    std::string info = run_command("xwininfo -name '" + show_title + "' 2>/dev/null");
    size_t at = info.find("Window id: ");
    if (at == std::string::npos) return {};
    return info.substr(at + 11, info.find(' ', at + 11) - at - 11);
}

// Escape goes to the focused show window and is held for two seconds, so that an
// idle pass of the show's loop sees it down; it is repeated while the show still
// loads (minutes on a loaded two-core machine).
bool end_with_escape(show_process& show) {
    std::string id = show_window_id();
    auto wait_while_running = [&](std::chrono::seconds span) {
        for (auto until = steady::now() + span; steady::now() < until && !show.ended();)
            std::this_thread::sleep_for(100ms);
    };
    for (int attempt = 0; attempt < 30 && !show.ended(); ++attempt) {
        run_command("xdotool windowfocus " + id + " mousemove --window " + id +
                    " 100 100 keydown Escape >/dev/null 2>&1");
        wait_while_running(2s);
        run_command("xdotool keyup Escape >/dev/null 2>&1");
        wait_while_running(8s);
    }
    return show.ended();
}

// Waits for the end of a process that should not open the show window, looking for
// that window all the while.
bool ends_without_show_window(show_process& show) {
    bool window_seen = false;
    for (auto deadline = steady::now() + 30s; steady::now() < deadline && !show.ended();) {
        window_seen = window_seen || !show_window_id().empty();
        std::this_thread::sleep_for(50ms);
    }
    return show.ended() && !window_seen;
}

bool soundtrack_present() {
    return std::ifstream(VELMORIA_SOURCE_DIR "/data/music/Tolvek - Velmoria.mp3").good();
}

class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.running()) << "could not start Xvfb";
        // SDL lists them in its own order: largest first. 768 x 1024 is portrait
        // and 2560 x 1080 too wide, so neither is offered.
        for (auto [w, h] : {std::pair{1680u, 1050u}, {1280u, 720u}, {1024u, 768u}, {768u, 1024u}})
            server.add_mode(w, h);
    }
    private_x_server server;
};

TEST_F(SetupDialog, EnterRunsAtThePreselected1280x720) {
    ASSERT_TRUE(soundtrack_present()) << "data/music/Tolvek - Velmoria.mp3 is missing; the show cannot run";
    show_process show;
    std::string dialog = wait_for_dialog(show);
    ASSERT_FALSE(dialog.empty()) << "no setup dialog; output:\n" << show.output();
    EXPECT_EQ(run_command("xdotool getwindowname " + dialog), "          Velmoria KRV - 2010 \n");
    press(dialog, "Return");
    window_size size = wait_for_show_window(show);
    EXPECT_EQ(size.width, 1280) << show.output();
    EXPECT_EQ(size.height, 720);
    ASSERT_TRUE(end_with_escape(show)) << "Escape did not end the show; output:\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(SetupDialog, KeyboardPicksModeAndWindowedWith16By9) {
    ASSERT_TRUE(soundtrack_present()) << "data/music/Tolvek - Velmoria.mp3 is missing; the show cannot run";
    show_process show;
    std::string dialog = wait_for_dialog(show);
    ASSERT_FALSE(dialog.empty()) << show.output();
    // The drop-down has the focus: Down moves from 1280 x 720 to 1024 x 768; two
    // Tabs reach Windowed, Space checks it. Force 16:9 stays on: 1024 x 576.
    press(dialog, "Down Tab Tab space Return");
    window_size size = wait_for_show_window(show);
    EXPECT_EQ(size.width, 1024) << show.output();
    EXPECT_EQ(size.height, 576);
    ASSERT_TRUE(end_with_escape(show)) << "Escape did not end the show; output:\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(SetupDialog, EscapeQuitsWithZeroBeforeAnyWindow) {
    show_process show;
    std::string dialog = wait_for_dialog(show);
    ASSERT_FALSE(dialog.empty()) << show.output();
    press(dialog, "Escape");
    EXPECT_TRUE(ends_without_show_window(show)) << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(SetupDialog, CloseBoxQuitsWithZeroBeforeAnyWindow) {
    show_process show;
    std::string dialog = wait_for_dialog(show);
    ASSERT_FALSE(dialog.empty()) << show.output();
    server.request_close(Window(std::stoul(dialog)));
    EXPECT_TRUE(ends_without_show_window(show)) << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

}  // namespace
