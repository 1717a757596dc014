// End-to-end test helpers: child processes with output files, a private Xvfb with
// RandR modes added, window lookup through xwininfo and xprop, and xdotool keys.
// Every external tool runs under `timeout`, so a stuck tool cannot hang a test.
#include "tests/support/e2e_session.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {

namespace {

using steady = std::chrono::steady_clock;

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void apply(const environment& changes) {
    for (const auto& [name, value] : changes) {
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
}

std::string lock_file(int number) { return "/tmp/.X" + std::to_string(number) + "-lock"; }

pid_t lock_owner(int number) {
    FILE* lock = std::fopen(lock_file(number).c_str(), "r");
    int owner = -1;
    if (lock) {
        if (std::fscanf(lock, "%d", &owner) != 1) owner = -1;
        std::fclose(lock);
    }
    return owner;
}

}  // namespace

std::string run_command(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

int run_status(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit,
                std::chrono::milliseconds step) {
    for (auto deadline = steady::now() + limit;;) {
        if (condition()) return true;
        if (steady::now() >= deadline) return false;
        std::this_thread::sleep_for(step);
    }
}

// ---- child processes

child_process::child_process(const std::string& program, const std::string& folder, const environment& changes,
                             const std::vector<std::string>& args) {
    char pattern[] = "/tmp/velmoria_e2e_XXXXXX";
    if (mkdtemp(pattern)) files_ = pattern;
    std::string out_path = file("stdout");
    std::string err_path = file("stderr");
    pid_ = fork();
    if (pid_ == 0) {
        apply(changes);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(125);
        dup2(out, 1);
        dup2(err, 2);
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

child_process::~child_process() {
    if (pid_ > 0 && !finished_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!files_.empty()) {
        std::remove(file("stdout").c_str());
        std::remove(file("stderr").c_str());
        rmdir(files_.c_str());
    }
}

bool child_process::ended() {
    if (!finished_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) finished_ = true;
    return finished_;
}

bool child_process::wait_for_end(seconds limit) {
    return wait_until([this] { return ended(); }, limit);
}

int child_process::exit_code() const {
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1000 - WTERMSIG(status_);
}

std::string child_process::standard_output() const { return read_text(file("stdout")); }
std::string child_process::standard_error() const { return read_text(file("stderr")); }

std::string child_process::output() const {
    return "standard output:\n" + standard_output() + "standard error:\n" + standard_error();
}

show_process::show_process(const environment& changes, const std::vector<std::string>& args)
    : child_process(VELMORIA_BINARY_DIR "/velmoria", VELMORIA_SOURCE_DIR "/data",
                    [&] {
                        environment all{{"SDL_AUDIODRIVER", "dummy"}};
                        all.insert(all.end(), changes.begin(), changes.end());
                        return all;
                    }(),
                    args) {}

environment on_x_server(const environment& extra) {
    environment all{{"GDK_BACKEND", "x11"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"}};
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

// ---- the private X server

private_x_server::private_x_server() {
    if (const char* display = std::getenv("DISPLAY")) {
        had_display_ = true;
        previous_display_ = display;
    }
    // A number counts as ours only once its lock file names our server's process,
    // so tests starting servers at the same moment never share one.
    for (int attempt = 0; attempt < 60 && !display_; ++attempt) {
        int number = 300 + int((getpid() * 7 + attempt * 13) % 600);
        if (access(lock_file(number).c_str(), F_OK) != 0) start_on(number);
    }
    if (display_) setenv("DISPLAY", name_.c_str(), 1);
}

private_x_server::~private_x_server() {
    if (display_) XCloseDisplay(display_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (had_display_)
        setenv("DISPLAY", previous_display_.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

void private_x_server::start_on(int number) {
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
    bool up = wait_until(
        [&] {
            if (waitpid(server, nullptr, WNOHANG) == server) {  // the number was taken
                server = -1;
                return true;
            }
            return lock_owner(number) == server && (display_ = XOpenDisplay(name.c_str())) != nullptr;
        },
        30s, 50ms);
    if (up && display_) {
        pid_ = server;
        name_ = name;
    } else if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
}

void private_x_server::add_mode(unsigned width, unsigned height) {
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

void private_x_server::add_test_modes() {
    for (auto [width, height] : {std::pair{1680u, 1050u}, {1280u, 720u}, {1024u, 768u}, {768u, 1024u}})
        add_mode(width, height);
}

void private_x_server::request_close(const std::string& window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(std::stoul(window, nullptr, 0));
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, event.xclient.window, False, NoEventMask, &event);
    XFlush(display_);
}

// ---- windows and keys

std::string find_window(const std::string& title, pid_t owner) {
    std::istringstream tree(run_command("timeout 20 xwininfo -root -tree 2>/dev/null"));
    std::string line;
    while (std::getline(tree, line)) {
        // A line reads: 0x2000007 "title": ("class" "Class")  1280x720+0+0  +0+0
        if (line.find(" \"" + title + "\": ") == std::string::npos) continue;
        std::istringstream words(line);
        std::string id;
        words >> id;
        if (owner == 0) return id;
        std::string property = run_command("timeout 20 xprop -id " + id + " _NET_WM_PID 2>/dev/null");
        if (property.find("= " + std::to_string(owner) + "\n") != std::string::npos) return id;
    }
    return {};
}

std::string window_info(const std::string& id) {
    return run_command("timeout 20 xwininfo -id " + id + " 2>/dev/null");
}

window_size client_size(const std::string& info) {
    window_size size;
    size_t width = info.find("Width: ");
    size_t height = info.find("Height: ");
    if (width != std::string::npos) size.width = std::atoi(info.c_str() + width + 7);
    if (height != std::string::npos) size.height = std::atoi(info.c_str() + height + 8);
    return size;
}

std::string viewable_window(const std::string& title, pid_t owner) {
    std::string id = find_window(title, owner);
    if (id.empty() || window_info(id).find("Map State: IsViewable") == std::string::npos) return {};
    return id;
}

std::string wait_for_window(child_process& process, const std::string& title, seconds limit) {
    std::string found;
    wait_until(
        [&] {
            if (process.ended()) return true;
            found = viewable_window(title, process.pid());
            return !found.empty();
        },
        limit, 500ms);
    return found;
}

bool press_keys(const std::string& window, const std::string& keys, seconds hold) {
    std::string command = "timeout " + std::to_string(20 + hold.count()) + " xdotool windowfocus --sync " +
                          window + " key --delay 60 " + keys + " sleep " + std::to_string(hold.count()) +
                          " >/dev/null 2>&1";
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (run_status(command) == 0) return true;
        std::this_thread::sleep_for(500ms);
    }
    return false;
}

bool end_with_escape(child_process& process, const std::string& window, seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!process.ended() && std::chrono::steady_clock::now() < deadline) {
        run_command("timeout 20 xdotool windowfocus " + window + " key Escape >/dev/null 2>&1");
        process.wait_for_end(10s);
    }
    return process.ended();
}

bool lost_display(const child_process& show) {
    std::string errors = show.standard_error();
    return errors.find("velmoria: no display") != std::string::npos ||
           errors.find("Failed To Register The Window Class") != std::string::npos;
}

started_show start_show_at_dialog(const environment& changes, seconds limit) {
    started_show started;
    const int starts = 3;
    for (int start = 1; start <= starts; ++start) {
        started.show.reset();
        started.dialog.clear();
        started.show = std::make_unique<show_process>(changes);
        show_process& show = *started.show;
        wait_until(
            [&] {
                if (show.ended() || lost_display(show)) return true;
                started.dialog = viewable_window(dialog_title, show.pid());
                return !started.dialog.empty();
            },
            limit, 500ms);
        if (!started.dialog.empty() || !lost_display(show)) break;
        std::fprintf(stderr, "start %d of %d lost its display connection\n%s", start, starts,
                     show.output().c_str());
    }
    return started;
}

}  // namespace e2e
